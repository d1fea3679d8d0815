#pragma once

#include <QPlainTextEdit>
#include <QWidget>

namespace veyra {

// A multi-line note editor on a faint rounded background. The text editor inside carries
// the object name it is given; textEdited() reports only the user's changes, never a
// text set through showText(). It holds at most GameMemoEntry::maximumTextLength
// characters: a paste or a drop takes what fits, and whatever else goes past the limit
// (typing, an input method) is cut back at once.
class NoteTextEditor : public QWidget
{
    Q_OBJECT

public:
    NoteTextEditor(const QString &editorObjectName, int padding, QWidget *parent = nullptr);

    QPlainTextEdit *textEdit() const { return m_textEdit; }

    // Shows the model's text; leaves the editor (cursor, undo) alone when it already
    // shows it. The cursor keeps its place, or goes to the end for another note.
    void showText(const QString &text, bool anotherNote = false);

Q_SIGNALS:
    void textEdited(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Cuts the last change back to what fits; true when it had to.
    bool keepWithinLimit();

    QPlainTextEdit *m_textEdit;
    bool m_showingModelText = false;
    // Where the last change put its characters.
    int m_lastChangePosition = 0;
    int m_lastChangeAdded = 0;
};

} // namespace veyra
