#pragma once

#include <QPlainTextEdit>
#include <QWidget>

namespace veyra {

// A multi-line note editor on a faint rounded background. The text editor inside carries
// the object name it is given; textEdited() reports only the user's changes, never a
// text set through showText().
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
    QPlainTextEdit *m_textEdit;
    bool m_showingModelText = false;
};

} // namespace veyra
