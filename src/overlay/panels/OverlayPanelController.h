#pragma once

#include "capture/target/CaptureTarget.h"
#include "capture/windows/TopmostWindowKeeping.h"
#include "notes/model/GameMemoContext.h"
#include "overlay/layout/DisplayGeometryProviding.h"
#include "overlay/layout/OverlayLayoutController.h"
#include "overlay/layout/OverlayLayoutStoring.h"
#include "overlay/layout/QScreenDisplayGeometryProvider.h"
#include "overlay/panels/OverlayControlPanel.h"
#include "overlay/popovers/GameMemoPresenter.h"
#include "overlay/popovers/TranslationReportPresenter.h"
#include "overlay/state/OverlayRowBook.h"
#include "overlay/state/OverlayViewModel.h"
#include "overlay/strip/OverlayControlView.h"
#include "translation/translations/CompletedTranslation.h"

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace veyra {

class GameMemoLibraryModel;
class OverlayPanel;
class OverlaySettingsModel;

// The one object through which the application session drives the overlay during play.
// It owns the two floating windows, the text overlay and its control strip (built on the
// first show, never destroyed), keeps one row per capture area, publishes the rows in
// capture-area order and the overlay settings into the view model,
// wires the strip to the note and report popovers and to the layout controller's move
// and resize steps, and hands the user's requests back through four optional callbacks (an unset
// callback makes its action do nothing). While the capture-area state is ready the
// overlay lets every click through to the game. While it is shown, its windows (and the
// popovers and tooltip of the moment) are kept above the game and every other window by
// the stacking keeper. GUI thread only; nothing throws.
class OverlayPanelController : public QObject
{
    Q_OBJECT

public:
    using Action = std::function<void()>;
    using TranslationErrorReportRequest = std::function<void(const TranslationReportTarget &)>;
    using GameMemoContextProvider = std::function<std::optional<GameMemoContext>()>;

    // Without a stacking keeper (off an X display) the windows are only raised when shown.
    OverlayPanelController(OverlaySettingsModel &settings, std::shared_ptr<OverlayLayoutStoring> layoutStore,
        GameMemoLibraryModel &gameMemoLibrary,
        std::shared_ptr<DisplayGeometryProviding> displays = std::make_shared<QScreenDisplayGeometryProvider>(),
        std::shared_ptr<TopmostWindowKeeping> stacking = nullptr, QObject *parent = nullptr);
    ~OverlayPanelController() override;

    // The user asked, from the overlay's help card, to edit the capture areas.
    const Action &onRequestCaptureAreaEditor() const { return m_onRequestCaptureAreaEditor; }
    void setOnRequestCaptureAreaEditor(Action action) { m_onRequestCaptureAreaEditor = std::move(action); }
    // The user asked to pick another game window.
    const Action &onRequestChooseAnotherWindow() const { return m_onRequestChooseAnotherWindow; }
    void setOnRequestChooseAnotherWindow(Action action) { m_onRequestChooseAnotherWindow = std::move(action); }
    // The user confirmed a report in the report popover.
    const TranslationErrorReportRequest &onRequestTranslationErrorReport() const
    {
        return m_onRequestTranslationErrorReport;
    }
    void setOnRequestTranslationErrorReport(TranslationErrorReportRequest request)
    {
        m_onRequestTranslationErrorReport = std::move(request);
    }

    // The note context of the game being played; nothing when there is none. Asked on show,
    // when the strip is built and when its note item is clicked.
    const GameMemoContextProvider &gameMemoContextProvider() const { return m_gameMemoContextProvider; }
    void setGameMemoContextProvider(GameMemoContextProvider provider)
    {
        m_gameMemoContextProvider = std::move(provider);
    }

    // Shows the overlay for a game window, in a state, for its capture areas in display
    // order, with no rows and no popover open. The panel moves to the window's stored or
    // default place only when the game window changed.
    void show(const CaptureTarget &target, const OverlayCaptureAreaState &state, const QStringList &areaIDs);
    // Accepts changed text of a listed area as a fresh translating row (see OverlayRowBook);
    // closes a report that lists the area. True when the row was replaced.
    bool updateRecognizedText(const QString &areaID, const QString &text);
    // Turns the area's row into a translated row when it still shows the translation's
    // source text (see OverlayRowBook); the translation identifier makes it reportable.
    void applyTranslation(
        const QString &areaID, const CompletedTranslation &translation, std::optional<QUuid> translationID);
    bool markTranslationFailed(const QString &areaID, const QString &sourceText);
    bool rowMatchesReportTarget(const TranslationReportTarget &target) const;
    // After a submitted report: the row translates again when it still showed the
    // translation (true then); the report popover closes in any case.
    bool prepareRetranslation(const TranslationReportTarget &target);
    // After a failed or refused report: the open report shows the failure when the row
    // still shows that translation; otherwise it closes.
    void showTranslationReportFailure(const TranslationReportTarget &target);
    void closeTranslationReport();
    // Closes the popovers (writing a note being typed) and takes the overlay off the
    // screen; panels, target and rows stay.
    void hide();
    // Republishes the rows of rowsByAreaID() in capture-area order.
    void publishRows();

    // The menu a right click on the strip opens: the application's commands, so that all
    // of them stay in reach during play on a desktop without a tray (or with its tray under
    // a full-screen game). Nothing opens without one.
    void setStripMenu(QMenu *menu) { m_stripMenu = menu; }
    QMenu *stripMenu() const { return m_stripMenu; }

    // The overlay's windows on the screen now, bottom first: the panel, the strip, an open
    // popover or the strip's menu, the strip's tooltip. They are kept in this order above
    // everything else.
    QVector<QWidget *> windowsOnTop() const;

    // The reportable rows of the published rows.
    QVector<TranslationReportTarget> reportTargets() const { return m_rows.reportTargets(); }

    OverlayPanel *panel() const { return m_panel.get(); }
    OverlayControlPanel *controlPanel() const { return m_controlPanel; }
    OverlayControlView *controlView() const { return m_controlView; }
    const QVector<OverlayTextRow> &textRows() const { return m_rows.textRows(); }
    OverlaySettingsModel &settings() const { return m_settings; }
    OverlayViewModel &viewModel() { return m_viewModel; }
    OverlayLayoutController &layoutController() { return m_layoutController; }
    TranslationReportPresenter &translationReportPresenter() { return m_translationReportPresenter; }
    GameMemoPresenter &gameMemoPresenter() { return m_gameMemoPresenter; }
    const std::optional<CaptureTarget> &currentTarget() const { return m_currentTarget; }
    const OverlayCaptureAreaState &currentCaptureAreaState() const { return m_rows.currentCaptureAreaState(); }
    const QStringList &areaIDs() const { return m_rows.areaIDs(); }
    // The current row of each area.
    const QHash<QString, OverlayTextRow> &rowsByAreaID() const { return m_rows.rowsByAreaID(); }

private:
    void buildPanels(const CaptureTarget &target);
    void buildControlStrip();
    void publishShownState();
    void applyClickThrough();
    void updateGameNoteAvailability();
    void updateReportItemAvailability();
    void presentGameMemo(QWidget *anchor);
    void presentTranslationReport(QWidget *anchor);
    void showStripMenu(QPoint globalPosition);
    // The click that closed a popover goes on to the strip: a left click to the action
    // item it was on, unless that item is the popover's own; a right click on the strip
    // opens its menu; any other click only closed the popover.
    void passClickToStrip(QPoint globalPosition, Qt::MouseButton button, QWidget *popoverAnchor);

    Action m_onRequestCaptureAreaEditor;
    Action m_onRequestChooseAnotherWindow;
    TranslationErrorReportRequest m_onRequestTranslationErrorReport;
    GameMemoContextProvider m_gameMemoContextProvider;
    OverlaySettingsModel &m_settings;
    OverlayViewModel m_viewModel;
    OverlayRowBook m_rows{m_viewModel};
    OverlayLayoutController m_layoutController;
    TranslationReportPresenter m_translationReportPresenter;
    GameMemoPresenter m_gameMemoPresenter;
    std::shared_ptr<TopmostWindowKeeping> m_stacking;
    std::unique_ptr<OverlayPanel> m_panel;
    // Child windows of the panel.
    QPointer<OverlayControlPanel> m_controlPanel;
    QPointer<OverlayControlView> m_controlView;
    QPointer<QMenu> m_stripMenu;
    std::optional<CaptureTarget> m_currentTarget;
};

} // namespace veyra
