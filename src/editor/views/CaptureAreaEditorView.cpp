#include "editor/views/CaptureAreaEditorView.h"

#include "brand/BrandIcons.h"
#include "brand/VeyraBrandPalette.h"
#include "brand/WindowFit.h"
#include "editor/canvas/CaptureAreaCanvas.h"
#include "editor/guide/CaptureAreaEditingGuideView.h"
#include "editor/guide/CaptureAreaGuideModel.h"
#include "editor/guide/CaptureAreaGuideSheet.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/session/CaptureAreaEditorSessionProviding.h"
#include "editor/style/EditorStyle.h"
#include "editor/views/CaptureAreaInspector.h"
#include "editor/views/CaptureAreaSaveFailureAlert.h"
#include "editor/views/EditorWidgets.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/LocalizedString.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace veyra {

namespace {
Logger editorLogger()
{
    return Logger("CaptureAreaEditor");
}
} // namespace

CaptureAreaEditorView::CaptureAreaEditorView(std::shared_ptr<CaptureAreaEditorSessionProviding> session,
    std::unique_ptr<CaptureAreaEditorModel> model, std::unique_ptr<CaptureAreaGuideModel> guideModel, QWidget *parent)
    : QWidget(parent)
    , m_session(std::move(session))
    , m_model(std::move(model))
    , m_guideModel(std::move(guideModel))
{
    setObjectName(QStringLiteral("capture-area-editor"));
    setMinimumSize(800, 520);
    // Its first size no larger than the screen's free area, down to its least size.
    WindowFit::fitOnFirstShow(*this);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(makeTopBar());
    root->addWidget(makeDivider(this));

    m_stateArea = new QStackedWidget(this);
    m_stateArea->addWidget(makeProgressPage());
    m_stateArea->addWidget(makeFailurePage());
    m_readyPage = new QWidget(m_stateArea);
    auto *ready = new QHBoxLayout(m_readyPage);
    ready->setContentsMargins(0, 0, 0, 0);
    ready->setSpacing(0);
    m_canvas = new CaptureAreaCanvas(*m_model, m_readyPage);
    m_inspector = new CaptureAreaInspector(*m_model, m_readyPage);
    ready->addWidget(m_canvas, 1);
    ready->addWidget(makeDivider(m_readyPage, true));
    ready->addWidget(m_inspector);
    m_stateArea->addWidget(m_readyPage);
    root->addWidget(m_stateArea, 1);

    m_guideSheet = new CaptureAreaGuideSheet([this] { m_guideModel->close(); }, this);
    m_guideSheet->setObjectName(QString::fromLatin1(guideWindowIdentifier));
    m_guideView = &m_guideSheet->view();
    // Any other way of dismissing the sheet (Escape, its window's close button) counts as
    // closing the guide too.
    connect(m_guideSheet, &QDialog::finished, this, [this] {
        if (m_guideModel->isPresented()) {
            m_guideModel->close();
        }
    });

    connect(m_inspector, &CaptureAreaInspector::saveRequested, this, &CaptureAreaEditorView::save);
    connect(m_inspector, &CaptureAreaInspector::cancelRequested, this, &CaptureAreaEditorView::cancel);
    for (auto signal : {&CaptureAreaEditorModel::stateChanged, &CaptureAreaEditorModel::selectionChanged,
             &CaptureAreaEditorModel::areasChanged, &CaptureAreaEditorModel::isPickingBackgroundChanged,
             &CaptureAreaEditorModel::snapshotChanged}) {
        connect(m_model.get(), signal, this, &CaptureAreaEditorView::refresh);
    }
    connect(m_guideModel.get(), &CaptureAreaGuideModel::isPresentedChanged, this,
        &CaptureAreaEditorView::refreshGuideSheet);

    retranslate();
}

CaptureAreaEditorView::~CaptureAreaEditorView() = default;

QDialog &CaptureAreaEditorView::guideSheet() const
{
    return *m_guideSheet;
}

QWidget *CaptureAreaEditorView::makeTopBar()
{
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(18, 12, 18, 12);
    row->setSpacing(8);
    auto *titles = new QVBoxLayout();
    titles->setSpacing(3);
    m_title = makeLabel(bar, EditorFonts::headline());
    m_targetLine = makeLabel(bar, EditorFonts::caption(), EditorColors::secondaryText(palette()));
    titles->addWidget(m_title);
    titles->addWidget(m_targetLine);
    row->addLayout(titles, 1);

    m_guideButton = new QPushButton(bar);
    m_guideButton->setObjectName(QStringLiteral("capture-area-editing-guide"));
    m_backgroundButton = new QPushButton(bar);
    m_backgroundButton->setObjectName(QStringLiteral("pick-capture-background"));
    m_addButton = new QPushButton(bar);
    m_addButton->setObjectName(QStringLiteral("add-capture-area"));
    m_deleteButton = new QPushButton(bar);
    m_deleteButton->setObjectName(QStringLiteral("delete-capture-area"));
    for (QPushButton *button : {m_guideButton, m_backgroundButton, m_addButton, m_deleteButton}) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    m_guideButton->setIcon(symbolIcon(QStringLiteral("questionmark.circle"), *m_guideButton));

    connect(m_guideButton, &QPushButton::clicked, this, [this] { m_guideModel->setPresented(true); });
    connect(m_backgroundButton, &QPushButton::clicked, m_model.get(), &CaptureAreaEditorModel::toggleBackgroundPicking);
    connect(m_addButton, &QPushButton::clicked, m_model.get(), &CaptureAreaEditorModel::addArea);
    connect(m_deleteButton, &QPushButton::clicked, m_model.get(), &CaptureAreaEditorModel::deleteSelectedArea);
    return bar;
}

QWidget *CaptureAreaEditorView::makeProgressPage()
{
    m_progressPage = new QWidget(this);
    auto *column = new QVBoxLayout(m_progressPage);
    column->setSpacing(12);
    column->addStretch(1);
    auto *progress = new QProgressBar(m_progressPage);
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setFixedWidth(180);
    column->addWidget(progress, 0, Qt::AlignHCenter);
    m_progressText = makeLabel(m_progressPage, EditorFonts::body(), EditorColors::secondaryText(palette()));
    m_progressText->setObjectName(QStringLiteral("capture-area-progress"));
    column->addWidget(m_progressText, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return m_progressPage;
}

QWidget *CaptureAreaEditorView::makeFailurePage()
{
    m_failurePage = new QWidget(this);
    auto *outer = new QGridLayout(m_failurePage);
    outer->setContentsMargins(32, 32, 32, 32);
    auto *panel = new QWidget(m_failurePage);
    panel->setFixedWidth(460);
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    m_failureSymbol = new QLabel(panel);
    m_failureSymbol->setAlignment(Qt::AlignCenter);
    column->addWidget(m_failureSymbol);
    m_failureMessage = makeLabel(panel, EditorFonts::body());
    m_failureMessage->setObjectName(QStringLiteral("capture-area-failure-message"));
    m_failureMessage->setWordWrap(true);
    m_failureMessage->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(m_failureMessage);
    auto *buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    buttons->addStretch(1);
    m_chooseAnotherButton = new QPushButton(panel);
    m_chooseAnotherButton->setObjectName(QStringLiteral("capture-area-choose-another-window"));
    m_tryAgainButton = new QPushButton(panel);
    m_tryAgainButton->setObjectName(QStringLiteral("capture-area-try-again"));
    m_failureCancelButton = new QPushButton(panel);
    m_failureCancelButton->setObjectName(QStringLiteral("capture-area-failure-cancel"));
    for (QPushButton *button : {m_chooseAnotherButton, m_tryAgainButton, m_failureCancelButton}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    column->addLayout(buttons);
    // The panel sits in the middle of the page; its text wraps at 460 points.
    outer->addWidget(panel, 1, 1);
    outer->setRowStretch(0, 1);
    outer->setRowStretch(2, 1);
    outer->setColumnStretch(0, 1);
    outer->setColumnStretch(2, 1);
    connect(m_chooseAnotherButton, &QPushButton::clicked, this, &CaptureAreaEditorView::chooseAnotherWindow);
    connect(m_tryAgainButton, &QPushButton::clicked, this, &CaptureAreaEditorView::tryAgain);
    connect(m_failureCancelButton, &QPushButton::clicked, this, &CaptureAreaEditorView::cancel);
    return m_failurePage;
}

void CaptureAreaEditorView::retranslate()
{
    setLocale(currentClientLanguageLocale());
    setWindowTitle(captureAreaEditorWindowTitle());
    m_guideSheet->setWindowTitle(captureAreaEditorWindowTitle());
    m_title->setText(captureAreaEditorWindowTitle());
    m_guideButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Editing Guide")));
    m_addButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Add Area")));
    m_deleteButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Delete")));
    m_progressText->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Capturing the selected window…")));
    m_chooseAnotherButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Choose Another Window")));
    m_tryAgainButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Try Again")));
    m_failureCancelButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Cancel")));
    m_inspector->retranslate();
    m_canvas->retranslate();
    m_guideView->retranslate();
    refresh();
}

void CaptureAreaEditorView::refresh()
{
    const std::optional<CaptureTarget> target = m_session->selectedTarget();
    m_targetLine->setVisible(target.has_value());
    if (target) {
        const QString title = target->windowTitle.isEmpty() ? localizedString(QT_TRANSLATE_NOOP("Veyra", "(Untitled)"))
                                                            : target->windowTitle;
        m_targetLine->setText(target->applicationName + QStringLiteral(" — ") + title);
    }

    const CaptureAreaEditorModel::State &state = m_model->state();
    const bool isReady = state.kind == CaptureAreaEditorModel::State::Kind::ready;
    const bool isPicking = m_model->isPickingBackground();
    m_backgroundButton->setText(isPicking ? localizedString(QT_TRANSLATE_NOOP("Veyra", "Click Background…"))
                                          : localizedString(QT_TRANSLATE_NOOP("Veyra", "Pick Background")));
    if (isPicking) {
        setButtonFill(*m_backgroundButton, EditorColors::systemOrange(), VeyraBrandPalette::orangeInk());
        m_backgroundButton->setIcon(
            symbolIcon(QStringLiteral("eyedropper"), *m_backgroundButton, VeyraBrandPalette::orangeInk()));
    } else {
        setButtonFill(*m_backgroundButton, QColor(), QColor());
        m_backgroundButton->setIcon(symbolIcon(QStringLiteral("eyedropper"), *m_backgroundButton));
    }
    m_backgroundButton->setEnabled(isReady && m_model->selectedArea().has_value());
    m_addButton->setEnabled(isReady);
    m_deleteButton->setEnabled(m_model->selection().has_value());

    switch (state.kind) {
    case CaptureAreaEditorModel::State::Kind::idle:
    case CaptureAreaEditorModel::State::Kind::loading:
        m_stateArea->setCurrentWidget(m_progressPage);
        break;
    case CaptureAreaEditorModel::State::Kind::failed:
        m_failureSymbol->setPixmap(symbolPixmap(QStringLiteral("exclamationmark.triangle"), QSize(44, 44),
            EditorColors::secondaryText(palette()), devicePixelRatioF()));
        m_failureMessage->setText(state.message ? state.message->localized() : QString());
        m_chooseAnotherButton->setVisible(state.targetUnavailable);
        m_tryAgainButton->setVisible(!state.targetUnavailable && target.has_value());
        m_stateArea->setCurrentWidget(m_failurePage);
        break;
    case CaptureAreaEditorModel::State::Kind::ready:
        m_stateArea->setCurrentWidget(m_readyPage);
        break;
    }
}

void CaptureAreaEditorView::refreshGuideSheet()
{
    if (m_guideModel->isPresented()) {
        if (!m_guideSheet->isVisible()) {
            m_guideSheet->setWindowTitle(captureAreaEditorWindowTitle());
            m_guideSheet->present();
        }
    } else {
        m_guideSheet->withdraw();
    }
}

void CaptureAreaEditorView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous()) {
        // Restored from the taskbar: the same appearance goes on.
        return;
    }
    refresh();
    loadOnAppearance();
}

void CaptureAreaEditorView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous()) {
        return;
    }
    ++m_appearance;
    // The window went away: a guide left open was never closed, so it comes back next time.
    m_guideModel->setPresented(false);
    // A failure told about the edits that are now forgotten goes with them.
    for (CaptureAreaSaveFailureAlert *alert : findChildren<CaptureAreaSaveFailureAlert *>()) {
        alert->close();
    }
    m_model->reset();
}

void CaptureAreaEditorView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
}

void CaptureAreaEditorView::keyPressEvent(QKeyEvent *event)
{
    // Keys the focused control leaves unhandled: the window's default and cancel actions and
    // the Delete command.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_inspector->saveButton().isVisible() && m_inspector->saveButton().isEnabled()) {
            event->accept();
            save();
            return;
        }
    } else if (event->key() == Qt::Key_Escape) {
        if (m_inspector->cancelButton().isVisible()) {
            event->accept();
            cancel();
            return;
        }
    } else if (event->matches(QKeySequence::Delete)) {
        event->accept();
        m_model->deleteSelectedArea();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CaptureAreaEditorView::loadOnAppearance()
{
    const std::uint64_t appearance = ++m_appearance;
    startDetachedTask(
        this,
        [appearance](QPointer<CaptureAreaEditorView> self) -> QCoro::Task<void> {
            const std::optional<CaptureTarget> target = self->m_session->selectedTarget();
            if (!target) {
                co_return;
            }
            co_await self->m_model->load(*target, false);
            if (!self || self->m_appearance != appearance) {
                co_return;
            }
            if (self->m_model->state().kind == CaptureAreaEditorModel::State::Kind::ready) {
                self->m_guideModel->presentIfNeeded();
            }
        },
        editorLogger());
}

void CaptureAreaEditorView::tryAgain()
{
    startDetachedTask(
        this,
        [](QPointer<CaptureAreaEditorView> self) -> QCoro::Task<void> {
            if (const std::optional<CaptureTarget> target = self->m_session->selectedTarget()) {
                co_await self->m_model->load(*target, true);
            }
        },
        editorLogger());
}

void CaptureAreaEditorView::save()
{
    if (!m_model->save()) {
        // The store failed (not a save rule): the red line may sit under the overlay's
        // panel, so the failure is told where the player sees it.
        if (m_model->persistenceError() && !m_model->validationMessage()) {
            auto *alert = new CaptureAreaSaveFailureAlert(
                [model = QPointer<CaptureAreaEditorModel>(m_model.get())] {
                    return model && model->persistenceError() ? model->persistenceError()->localized() : QString();
                },
                this);
            alert->present();
        }
        return;
    }
    const std::optional<CaptureTarget> target = m_session->selectedTarget();
    if (target && !m_session->isTerminating()) {
        m_session->prepareOverlay(*target);
    }
    closeWindow();
}

void CaptureAreaEditorView::cancel()
{
    m_model->reset();
    closeWindow();
}

void CaptureAreaEditorView::chooseAnotherWindow()
{
    m_model->reset();
    m_session->chooseAnotherWindow();
    closeWindow();
}

void CaptureAreaEditorView::closeWindow()
{
    window()->close();
}

} // namespace veyra
