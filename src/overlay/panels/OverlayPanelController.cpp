#include "overlay/panels/OverlayPanelController.h"

#include "overlay/layout/OverlayLayoutGeometry.h"
#include "overlay/panels/OverlayControlPanel.h"
#include "overlay/panels/OverlayPanel.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "overlay/strip/OverlayActionView.h"
#include "overlay/strip/OverlayControlTooltipPresenter.h"
#include "overlay/strip/OverlayControlView.h"
#include "overlay/views/OverlayContentView.h"

namespace veyra {

namespace {

// Whether showing `next` after `previous` moves the panel to the next window's place: when
// their game windows differ (by key, or as windows when neither has a key).
bool replacesPlacement(const std::optional<CaptureTarget> &previous, const CaptureTarget &next)
{
    if (!previous) {
        return false;
    }
    const std::optional<GameWindowProfileKey> previousKey = previous->profileKey();
    const std::optional<GameWindowProfileKey> nextKey = next.profileKey();
    if (previousKey && nextKey) {
        return !(*previousKey == *nextKey);
    }
    if (previousKey || nextKey) {
        return true;
    }
    return !(*previous == next);
}

} // namespace

OverlayPanelController::OverlayPanelController(OverlaySettingsModel &settings,
    std::shared_ptr<OverlayLayoutStoring> layoutStore, GameMemoLibraryModel &gameMemoLibrary,
    std::shared_ptr<DisplayGeometryProviding> displays, std::shared_ptr<TopmostWindowKeeping> stacking, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_viewModel(
          settings.backgroundOpacityPercent(), settings.sourceTextSizePoints(), settings.translationTextSizePoints())
    , m_layoutController(std::move(layoutStore), std::move(displays))
    , m_gameMemoPresenter(gameMemoLibrary)
    , m_stacking(std::move(stacking))
{
    // The view model follows the settings; the connections end with it.
    connect(&settings, &OverlaySettingsModel::backgroundOpacityPercentChanged, &m_viewModel,
        &OverlayViewModel::setBackgroundOpacityPercent);
    connect(&settings, &OverlaySettingsModel::sourceTextSizePointsChanged, &m_viewModel,
        &OverlayViewModel::setSourceTextSizePoints);
    connect(&settings, &OverlaySettingsModel::translationTextSizePointsChanged, &m_viewModel,
        &OverlayViewModel::setTranslationTextSizePoints);
    m_rows.setOnRowsPublished([this] { updateReportItemAvailability(); });
    // Once the popover's own event handling is over.
    connect(&m_translationReportPresenter, &TranslationReportPresenter::popoverClosedByClick, this,
        &OverlayPanelController::passClickToStrip, Qt::QueuedConnection);
    connect(&m_gameMemoPresenter, &GameMemoPresenter::popoverClosedByClick, this,
        &OverlayPanelController::passClickToStrip, Qt::QueuedConnection);
}

OverlayPanelController::~OverlayPanelController()
{
    if (m_stacking) {
        m_stacking->stop();
    }
    m_translationReportPresenter.close();
}

void OverlayPanelController::show(
    const CaptureTarget &target, const OverlayCaptureAreaState &state, const QStringList &areaIDs)
{
    const bool replace = replacesPlacement(m_currentTarget, target);
    m_currentTarget = target;
    m_rows.reset(state, areaIDs);
    updateGameNoteAvailability();
    closeTranslationReport();
    m_gameMemoPresenter.close();

    if (!m_panel) {
        buildPanels(target);
    } else {
        if (replace) {
            m_layoutController.setPanelFrame(m_layoutController.initialFrame(target));
        }
        m_layoutController.setPanel(m_panel.get());
        m_layoutController.setControlPanel(m_controlPanel);
        m_layoutController.setTarget(target);
        m_layoutController.placeControlStrip();
        publishShownState();
        applyClickThrough();
    }

    const std::optional<QRectF> frame = m_layoutController.panelFrame();
    m_panel->show();
    m_panel->raise();
    if (m_controlPanel) {
        m_controlPanel->show();
        m_controlPanel->raise();
    }
    // A tool window shown for the first time can report a stale position until it is
    // placed once more.
    if (frame) {
        m_layoutController.setPanelFrame(*frame);
        m_layoutController.placeControlStrip();
    }
    if (m_stacking) {
        QPointer<OverlayPanelController> self(this);
        m_stacking->keepOnTop(
            [self] {
                QVector<std::uint32_t> windows;
                if (self) {
                    for (const QWidget *window : self->windowsOnTop()) {
                        windows.append(static_cast<std::uint32_t>(window->winId()));
                    }
                }
                return windows;
            },
            static_cast<std::uint32_t>(target.windowID));
    }
}

bool OverlayPanelController::updateRecognizedText(const QString &areaID, const QString &text)
{
    if (!m_rows.updateRecognizedText(areaID, text)) {
        return false;
    }
    if (m_translationReportPresenter.contains(areaID)) {
        closeTranslationReport();
    }
    return true;
}

void OverlayPanelController::applyTranslation(
    const QString &areaID, const CompletedTranslation &translation, std::optional<QUuid> translationID)
{
    m_rows.applyTranslation(areaID, translation, translationID);
}

bool OverlayPanelController::markTranslationFailed(const QString &areaID, const QString &sourceText)
{
    return m_rows.markTranslationFailed(areaID, sourceText);
}

bool OverlayPanelController::rowMatchesReportTarget(const TranslationReportTarget &target) const
{
    return m_rows.rowMatchesReportTarget(target);
}

bool OverlayPanelController::prepareRetranslation(const TranslationReportTarget &target)
{
    const bool matched = m_rows.resetForRetranslation(target);
    closeTranslationReport();
    return matched;
}

void OverlayPanelController::showTranslationReportFailure(const TranslationReportTarget &target)
{
    if (!rowMatchesReportTarget(target)) {
        closeTranslationReport();
        return;
    }
    if (OverlayTranslationReportModel *model = m_translationReportPresenter.model()) {
        model->submissionFailed(target);
    }
}

void OverlayPanelController::closeTranslationReport()
{
    m_translationReportPresenter.close();
}

void OverlayPanelController::hide()
{
    if (m_stacking) {
        m_stacking->stop();
    }
    closeTranslationReport();
    m_gameMemoPresenter.close();
    if (m_controlPanel) {
        m_controlPanel->hide();
    }
    if (m_panel) {
        m_panel->hide();
    }
}

void OverlayPanelController::publishRows()
{
    m_rows.publishRows();
}

QVector<QWidget *> OverlayPanelController::windowsOnTop() const
{
    QVector<QWidget *> windows;
    const auto add = [&windows](QWidget *window) {
        if (window != nullptr && window->isVisible()) {
            windows.append(window);
        }
    };
    add(m_panel.get());
    add(m_controlPanel);
    add(m_translationReportPresenter.popover());
    add(m_gameMemoPresenter.popover());
    add(m_stripMenu);
    if (m_controlView) {
        add(m_controlView->tooltipPresenter()->tooltipPanel());
    }
    return windows;
}

void OverlayPanelController::buildPanels(const CaptureTarget &target)
{
    const QRectF frame = m_layoutController.initialFrame(target);
    publishShownState();
    auto *content = new OverlayContentView(&m_viewModel);
    connect(content, &OverlayContentView::editCaptureAreasRequested, this, [this] {
        // A copy: the callback may replace itself.
        if (const Action action = m_onRequestCaptureAreaEditor) {
            action();
        }
    });
    connect(content, &OverlayContentView::chooseAnotherWindowRequested, this, [this] {
        if (const Action action = m_onRequestChooseAnotherWindow) {
            action();
        }
    });
    m_panel = std::make_unique<OverlayPanel>(content);
    m_panel->setMinimumSize(minimumOverlayPanelSize.toSize());
    m_layoutController.setPanel(m_panel.get());
    m_layoutController.setControlPanel(nullptr);
    m_layoutController.setTarget(target);
    m_layoutController.setPanelFrame(frame);
    applyClickThrough();
    buildControlStrip();
}

void OverlayPanelController::buildControlStrip()
{
    auto *view = new OverlayControlView;
    connect(view, &OverlayControlView::gameNoteClicked, this, &OverlayPanelController::presentGameMemo);
    connect(view, &OverlayControlView::reportClicked, this, &OverlayPanelController::presentTranslationReport);
    OverlayLayoutController &layout = m_layoutController;
    connect(view, &OverlayControlView::moveBegan, this,
        [&layout](QPointF position) { layout.beginMove(layout.screenLocation(position)); });
    connect(view, &OverlayControlView::moveChanged, this,
        [&layout](QPointF position) { layout.move(layout.screenLocation(position)); });
    connect(view, &OverlayControlView::moveEnded, this, [&layout] { layout.finishMove(); });
    connect(view, &OverlayControlView::resizeBegan, this,
        [&layout](QPointF position) { layout.beginResize(layout.screenLocation(position)); });
    connect(view, &OverlayControlView::resizeChanged, this,
        [&layout](QPointF position) { layout.resize(layout.screenLocation(position)); });
    connect(view, &OverlayControlView::resizeEnded, this, [&layout] { layout.finishResize(); });
    // On the next turn, once the press that asked for it is handled: a second right click
    // soon after another (one that closed a popover, say) is also a double click, which Qt
    // sends after the press and which would reach the menu just opened and close it.
    connect(
        view, &OverlayControlView::menuRequested, this, &OverlayPanelController::showStripMenu, Qt::QueuedConnection);

    m_controlPanel = new OverlayControlPanel(view, m_panel.get());
    m_controlView = view;
    m_layoutController.setControlPanel(m_controlPanel);
    m_layoutController.placeControlStrip();
    updateGameNoteAvailability();
    updateReportItemAvailability();
}

void OverlayPanelController::publishShownState()
{
    m_viewModel.setTarget(*m_currentTarget);
    m_viewModel.setCaptureAreaState(m_rows.currentCaptureAreaState());
    m_viewModel.setTextRows(m_rows.textRows());
    updateReportItemAvailability();
}

void OverlayPanelController::applyClickThrough()
{
    m_panel->setClickThrough(m_rows.currentCaptureAreaState().isReady());
}

void OverlayPanelController::updateGameNoteAvailability()
{
    if (m_controlView) {
        const GameMemoContextProvider provider = m_gameMemoContextProvider;
        OverlayControlView::setActionAvailable(m_controlView->gameNoteHandle(), provider && provider().has_value());
    }
}

void OverlayPanelController::updateReportItemAvailability()
{
    if (m_controlView) {
        OverlayControlView::setActionAvailable(m_controlView->reportHandle(), !reportTargets().isEmpty());
    }
}

void OverlayPanelController::presentGameMemo(QWidget *anchor)
{
    const GameMemoContextProvider provider = m_gameMemoContextProvider;
    if (!provider) {
        return;
    }
    const std::optional<GameMemoContext> context = provider();
    if (!context) {
        return;
    }
    closeTranslationReport();
    m_gameMemoPresenter.present(*context, anchor);
}

void OverlayPanelController::showStripMenu(QPoint globalPosition)
{
    if (!m_stripMenu) {
        return;
    }
    m_stripMenu->popup(globalPosition);
    // Made long before, its window may lie below a game window opened since.
    m_stripMenu->raise();
}

void OverlayPanelController::passClickToStrip(QPoint globalPosition, Qt::MouseButton button, QWidget *popoverAnchor)
{
    if (!m_controlView || !m_controlPanel || !m_controlPanel->isVisible()) {
        return;
    }
    if (button == Qt::LeftButton) {
        m_controlView->clickActionAt(globalPosition, popoverAnchor);
    } else if (button == Qt::RightButton) {
        m_controlView->requestMenuAt(globalPosition);
    }
}

void OverlayPanelController::presentTranslationReport(QWidget *anchor)
{
    const QVector<TranslationReportTarget> targets = reportTargets();
    if (targets.isEmpty()) {
        return;
    }
    m_gameMemoPresenter.close();
    QPointer<OverlayPanelController> self(this);
    m_translationReportPresenter.present(targets, anchor, [self](const TranslationReportTarget &target) {
        if (!self) {
            return;
        }
        if (const TranslationErrorReportRequest request = self->m_onRequestTranslationErrorReport) {
            request(target);
        }
    });
}

} // namespace veyra
