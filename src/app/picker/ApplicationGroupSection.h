#pragma once

#include "capture/target/CaptureTarget.h"

#include "app/picker/PickerRowButton.h"
#include <QVector>
#include <QWidget>

#include <cstdint>
#include <optional>

namespace veyra {

class CaptureWindowRow;

// The disclosure control of an application in the window picker: a chevron, the
// application's icon (or the "app" symbol), its name and the number of its windows.
class ApplicationGroupHeader : public PickerRowButton
{
    Q_OBJECT

public:
    ApplicationGroupHeader(const CaptureApplicationGroup &group, QWidget *parent = nullptr);

    // "1 window", "2 windows": the number of the application's windows in the interface
    // language's plural form.
    QString windowCountText() const;
    void retranslate();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_name;
    QImage m_icon;
    int m_windowCount;
};

// One running application in the window picker: its header, and below it, once expanded,
// one row per window. Starts collapsed.
class ApplicationGroupSection : public QWidget
{
    Q_OBJECT

public:
    ApplicationGroupSection(const CaptureApplicationGroup &group, QWidget *parent = nullptr);

    std::int32_t processID() const { return m_processID; }
    bool isExpanded() const;
    void setExpanded(bool expanded);
    // Marks the row of that window (if it is one of this application's) as selected.
    void setSelectedWindowID(std::optional<std::uint32_t> windowID);
    void retranslate();

    ApplicationGroupHeader *header() const { return m_header; }
    const QVector<CaptureWindowRow *> &rows() const { return m_rows; }

Q_SIGNALS:
    void expandedChanged(bool expanded);
    // A window row was clicked.
    void windowClicked(std::uint32_t windowID);

private:
    std::int32_t m_processID;
    ApplicationGroupHeader *m_header;
    QWidget *m_rowsContainer;
    QVector<CaptureWindowRow *> m_rows;
};

} // namespace veyra
