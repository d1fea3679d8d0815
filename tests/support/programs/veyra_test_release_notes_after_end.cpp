// A program whose release-notes browser gets its notes only once the application's work has
// ended, as a browser would whose notes were read just before the end: the notes thread
// makes and lays out their document, the worker pools end (their threads go, and with them
// the fonts that the document was laid out with), and only then does the browser's task get
// its turn. Notes given after the end are never read.
//
//   veyra_test_release_notes_after_end
//
// It draws the browser after the end and writes to stdout, one line each:
//   notes thread done       once the notes thread has made the document
//   shown                   should the browser show notes after the end (it must not)
//   ended                   once the application's work has ended
//   drawn                   once the browser was drawn after the end
// and exits with status 0.
#include "foundation/async/AsyncTask.h"
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesBrowser.h"

#include <QApplication>
#include <QSemaphore>

#include <cstdio>
#include <cstdlib>

namespace {

void say(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    // Several scripts, so that the notes thread loads several fonts.
    const veyra::ReleaseNotes notes{veyra::ReleaseNotes::Format::markdown,
        QStringLiteral("## Veyra 1.3\n\n- Reads **Korean** dialogue: 대사를 더 정확하게 읽습니다\n"
                       "- 台詞の読み取りが速くなりました\n- `--safe-mode` keeps *Ελληνικά* and русский\n")};
    veyra::ReleaseNotesBrowser browser;
    browser.resize(600, 400);
    browser.show();
    QObject::connect(&browser, &veyra::ReleaseNotesBrowser::releaseNotesShown, [] { say("shown"); });
    browser.setReleaseNotes(notes);
    // The notes thread takes its work in turn: once this runs, the document is made, and
    // the browser's task waits for a turn of this thread's event loop, which it gets only
    // as the application's work ends.
    QSemaphore done;
    veyra::startOnWorker(veyra::releaseNotesWorkPool(), [&done] { done.release(); });
    done.acquire();
    say("notes thread done");

    veyra::finishApplicationWork(0);
    say("ended");
    browser.setReleaseNotes(notes);
    veyra::giveRemainingTurns();
    browser.grab();
    say("drawn");
    return 0;
}
