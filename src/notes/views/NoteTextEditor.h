#pragma once

#include <QPlainTextEdit>
#include <QWidget>

class QLabel;

namespace veyra {

// A multi-line note editor on a faint rounded background. The text editor inside carries
// the object name it is given; textEdited() reports only the user's changes, never a
// text set through showText(). It holds at most GameMemoEntry::maximumTextLength
// characters: a paste or a drop takes the whole characters that fit, and whatever else
// goes past the limit (typing, an input method) is cut back at once, between whole
// characters. What was left out is said under the text, counted as the player sees it
// (an emoji is one character), until the next change that fits or another note.
class NoteTextEditor : public QWidget
{
    Q_OBJECT

public:
    NoteTextEditor(const QString &editorObjectName, int padding, QWidget *parent = nullptr);

    QPlainTextEdit *textEdit() const { return m_textEdit; }
    // The line that says what the last change left out (hidden when it left nothing out).
    QLabel *leftOutLabel() const { return m_leftOutLabel; }

    // Shows the model's text; leaves the editor (cursor, undo) alone when it already
    // shows it. The cursor keeps its place, or goes to the end for another note.
    void showText(const QString &text, bool anotherNote = false);

Q_SIGNALS:
    void textEdited(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Cuts the last change back to the whole characters that fit; returns how many
    // characters (as shown) it cut.
    int keepWithinLimit();
    // Says that the last `characters` characters entered were left out (0: nothing).
    void setLeftOut(qsizetype characters);
    void updateLeftOutText();

    QPlainTextEdit *m_textEdit;
    QLabel *m_leftOutLabel;
    bool m_showingModelText = false;
    // Where the last change put its characters.
    int m_lastChangePosition = 0;
    int m_lastChangeAdded = 0;
    qsizetype m_leftOut = 0;
};

} // namespace veyra
