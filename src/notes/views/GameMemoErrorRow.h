#pragma once

#include <QWidget>

class QPushButton;

namespace veyra {

class ElidedLabel;

// The row that shows the notes model's error message in red beside a "Try Again" button.
class GameMemoErrorRow : public QWidget
{
    Q_OBJECT

public:
    // `maximumLineCount` limits the message (0: no limit: the whole message is shown, and
    // scrolls when it needs more room than the row is given).
    explicit GameMemoErrorRow(int maximumLineCount, QWidget *parent = nullptr);

    void setMessage(const QString &message);
    // Looks the fixed texts up again in the interface language.
    void retranslate();

    ElidedLabel *messageLabel() const { return m_message; }
    QPushButton *retryButton() const { return m_retryButton; }

Q_SIGNALS:
    void retryRequested();

private:
    ElidedLabel *m_message;
    // What holds the message: the label itself, or the area it scrolls in.
    QWidget *m_messageHolder;
    QPushButton *m_retryButton;
};

} // namespace veyra
