#pragma once

#include "capture/target/CaptureTarget.h"
#include "foundation/logging/Logger.h"

#include <QHash>
#include <QSet>
#include <QVector>
#include <QWidget>

#include <cstdint>
#include <memory>

class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;

namespace veyra {

class ApplicationGroupSection;
class ProgressPane;
class WindowCatalogProviding;
class WindowPickerModel;

// The screen in which the player chooses the game window: a short guidance, the running
// applications (each collapsible) with their windows, "Refresh" and "Play with Veyra"
// (also the Return key). The confirmed window, checked once more with the catalog, goes
// out through targetConfirmed(); the owner hands it to the session. When the list cannot
// be loaded, or holds nothing, the screen says so and offers "Quit" (quitRequested()).
//
// The view owns its model, made from the catalog when the view is made. Fixed texts are
// looked up again on every change of the interface language.
class WindowPickerView : public QWidget
{
    Q_OBJECT

public:
    WindowPickerView(std::shared_ptr<WindowCatalogProviding> catalog, QWidget *parent = nullptr);
    ~WindowPickerView() override;

    WindowPickerModel *model() const { return m_model; }

    // Whether the session is choosing a window now; the first display loads the list
    // only then (and only while nothing has been loaded).
    void setSessionIsChoosing(bool choosing);
    // The session came back to window choice: the list is loaded again with nothing
    // selected.
    void sessionSelectionRevisionChanged();

    // The "Play with Veyra" action: confirms the selection through the model.
    void confirmSelection();

Q_SIGNALS:
    // The selected window, still available, that the player chose to play with.
    void targetConfirmed(const veyra::CaptureTarget &target);
    // "Quit" of the message shown in place of the list.
    void quitRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *makeGuidance();
    QWidget *makeMessagePane();
    QWidget *makeList();
    QWidget *makeFooter();
    void retranslate();
    void showState();
    void rebuildList();
    void showSelection();
    void showSelectionError();

    WindowPickerModel *m_model;
    bool m_sessionIsChoosing = false;
    // Whether a refresh has ended (in a list or a message) since the view was made.
    bool m_hasShownResult = false;
    const Logger m_logger{"WindowPicker"};
    // Applications whose windows are shown, by process; kept across refreshes.
    QSet<std::int32_t> m_expandedProcesses;

    QLabel *m_guidanceTitle = nullptr;
    QLabel *m_guidanceCatalogNote = nullptr;
    QLabel *m_guidanceRefreshNote = nullptr;
    QStackedWidget *m_listArea = nullptr;
    ProgressPane *m_loadingPane = nullptr;
    QWidget *m_messagePane = nullptr;
    QLabel *m_message = nullptr;
    QPushButton *m_quitButton = nullptr;
    QScrollArea *m_list = nullptr;
    QVBoxLayout *m_groupsLayout = nullptr;
    QVector<ApplicationGroupSection *> m_sections;
    QLabel *m_selectionError = nullptr;
    QPushButton *m_refreshButton = nullptr;
    QPushButton *m_playButton = nullptr;
};

} // namespace veyra
