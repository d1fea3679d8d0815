#pragma once

#include <QWidget>

namespace veyra {

// The account's round avatar: a faint orange disc with the account's initials in orange.
class AccountAvatar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int diameter = 46;

    explicit AccountAvatar(QWidget *parent = nullptr);

    QString initials() const { return m_initials; }
    void setInitials(const QString &initials);

    QSize sizeHint() const override { return {diameter, diameter}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_initials;
};

} // namespace veyra
