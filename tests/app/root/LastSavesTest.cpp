// Test label: ui
// The one step every end of Veyra takes (runLastSaves()) writes what the composition root
// holds and hasn't written yet: the note typed last and the settings changed last; once the
// composition root is gone, it leaves the notes alone.
#include "foundation/async/LastSaves.h"
#include "app/root/ObriskApp.h"
#include "foundation/settings/UserDefaults.h"
#include "notes/model/GameMemoLibraryModel.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <optional>

using namespace veyra;

TEST(LastSaves, TheNoteAndTheSettingNotWrittenYetAreWrittenByTheStepEveryEndTakes)
{
    UserDefaults &defaults = UserDefaults::standard();
    std::optional<ObriskApp> app(std::in_place, QStringList{QStringLiteral("veyra"), QStringLiteral("--ui-testing")},
        mainInfoDictionary(), defaults);
    GameMemoLibraryModel &notes = app->gameMemoLibrary();
    const GameMemoContext game{
        {{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")}, QStringLiteral("Main")},
        QStringLiteral("Game App"), QStringLiteral("Main"), std::nullopt};

    // Typed and changed just now: both wait for the event loop, which never turns again.
    notes.updateText(QStringLiteral("last words"), game);
    defaults.setValue(QStringLiteral("last_setting"), QStringLiteral("kept"));
    ASSERT_TRUE(notes.saveTask().has_value());
    ASSERT_FALSE(QFile::exists(UserDefaults::standardFilePath()));

    runLastSaves();
    EXPECT_FALSE(notes.saveTask().has_value());
    const QVector<GameMemoEntry> saved = notes.store().load();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(saved.first().text, QStringLiteral("last words"));
    QFile settings(UserDefaults::standardFilePath());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(settings.readAll()).object().value(QStringLiteral("last_setting")).toString(),
        QStringLiteral("kept"));

    // The notes go with the composition root, and so does their last save.
    app->gameMemoLibrary().updateText(QStringLiteral("more words"), game);
    app.reset();
    runLastSaves();
}
