#pragma once

#include <QAbstractButton>

namespace veyra {

// Google's standard sign-in button in its light scheme: the multicoloured "G" and
// "Sign in with Google" on white, in a rounded frame 40 px high.
class GoogleSignInButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int buttonHeight = 40;

    explicit GoogleSignInButton(QWidget *parent = nullptr);

    // Looks its text up again (the interface language may have changed).
    void refreshText();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace veyra
