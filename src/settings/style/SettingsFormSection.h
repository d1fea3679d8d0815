#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace veyra {

// One section of a grouped form: an optional header in small secondary text above a
// rounded card that holds the section's rows.
class SettingsFormSection : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsFormSection(QWidget *parent = nullptr);

    // Shown verbatim; an empty header hides the header line.
    void setHeader(const QString &header);
    QString header() const;

    // The card's layout: rows go here.
    QVBoxLayout *contentLayout() const { return m_content; }

private:
    QLabel *m_header;
    QWidget *m_card;
    QVBoxLayout *m_content;
};

} // namespace veyra
