#include "app/picker/WindowPickerView.h"

#include "app/picker/ApplicationGroupSection.h"
#include "app/picker/CaptureWindowRow.h"
#include "app/picker/WindowPickerModel.h"
#include "app/style/ProgressPane.h"
#include "app/style/ScreenStyle.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/language/LocalizedString.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace veyra {

namespace {

using screenStyle::withOpacity;

constexpr int messageMaximumWidth = 420;

// The list's inset card: the groups on a rounded surface, a hairline between two groups.
class InsetListCard : public QWidget
{
public:
    explicit InsetListCard(QWidget *parent)
        : QWidget(parent)
    { }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath card;
        card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        painter.fillPath(card, VeyraBrandPalette::surface());
        painter.setPen(QPen(withOpacity(Qt::white, 0.06), 1));
        painter.drawPath(card);
        const QList<QWidget *> groups = findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget *group : groups) {
            if (group->isVisible() && group->y() > 8) {
                painter.drawLine(QPointF(12, group->y() - 0.5), QPointF(width() - 12, group->y() - 0.5));
            }
        }
    }
};

void fillWith(QWidget *widget, const QColor &colour)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

} // namespace

WindowPickerView::WindowPickerView(std::shared_ptr<WindowCatalogProviding> catalog, QWidget *parent)
    : QWidget(parent)
    , m_model(new WindowPickerModel(std::move(catalog), this))
{
    // Shown inside the set-up screen, which forces the same scheme; the picker keeps it on
    // its own too.
    screenStyle::applyDarkScheme(this);
    fillWith(this, VeyraBrandPalette::canvas());

    m_listArea = new QStackedWidget(this);
    m_loadingPane = new ProgressPane(QStringLiteral("window-picker-loading"), m_listArea);
    m_listArea->addWidget(m_loadingPane);
    m_listArea->addWidget(makeMessagePane());
    m_listArea->addWidget(makeList());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeGuidance());
    layout->addWidget(screenStyle::divider(withOpacity(Qt::white, 0.08), this));
    layout->addWidget(m_listArea, 1);
    layout->addWidget(screenStyle::divider(withOpacity(Qt::white, 0.10), this));
    layout->addWidget(makeFooter());

    connect(m_model, &WindowPickerModel::stateChanged, this, &WindowPickerView::showState);
    connect(m_model, &WindowPickerModel::applicationGroupsChanged, this, &WindowPickerView::rebuildList);
    connect(m_model, &WindowPickerModel::selectedWindowIDChanged, this, &WindowPickerView::showSelection);
    connect(m_model, &WindowPickerModel::selectionErrorChanged, this, &WindowPickerView::showSelectionError);

    retranslate();
    showState();
    showSelection();
    showSelectionError();
}

WindowPickerView::~WindowPickerView() = default;

QWidget *WindowPickerView::makeGuidance()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("running-window-guidance"));
    // The orange at 8 % over the canvas.
    const QColor canvas = VeyraBrandPalette::canvas();
    const QColor orange = VeyraBrandPalette::orange();
    const auto mix = [](float a, float b) { return a + (b - a) * 0.08f; };
    fillWith(panel,
        QColor::fromRgbF(mix(canvas.redF(), orange.redF()), mix(canvas.greenF(), orange.greenF()),
            mix(canvas.blueF(), orange.blueF())));

    m_guidanceTitle = screenStyle::plainLabel(BrandTextStyle::callout, Qt::white, panel);
    QFont titleFont = m_guidanceTitle->font();
    titleFont.setWeight(QFont::DemiBold);
    m_guidanceTitle->setFont(titleFont);
    m_guidanceCatalogNote = screenStyle::plainLabel(BrandTextStyle::caption, VeyraBrandPalette::secondaryText(), panel);
    m_guidanceRefreshNote = screenStyle::plainLabel(BrandTextStyle::caption, VeyraBrandPalette::secondaryText(), panel);
    for (QLabel *label : {m_guidanceTitle, m_guidanceCatalogNote, m_guidanceRefreshNote}) {
        label->setWordWrap(true);
    }

    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(24, 14, 24, 14);
    layout->setSpacing(4);
    layout->addWidget(m_guidanceTitle);
    layout->addWidget(m_guidanceCatalogNote);
    layout->addWidget(m_guidanceRefreshNote);
    return panel;
}

QWidget *WindowPickerView::makeMessagePane()
{
    m_messagePane = new QWidget(m_listArea);
    m_messagePane->setObjectName(QStringLiteral("window-picker-message"));
    m_message = screenStyle::plainLabel(BrandTextStyle::body, VeyraBrandPalette::secondaryText(), m_messagePane);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setMaximumWidth(messageMaximumWidth);
    m_quitButton = screenStyle::button(m_messagePane);
    connect(m_quitButton, &QPushButton::clicked, this, &WindowPickerView::quitRequested);

    auto *layout = new QVBoxLayout(m_messagePane);
    layout->setContentsMargins(32, 32, 32, 32);
    layout->setSpacing(16);
    layout->addStretch(1);
    // Not an aligned item: an aligned item gets its size hint and not the height its
    // wrapped text needs at the width it is given.
    auto *messageRow = new QHBoxLayout;
    messageRow->addStretch(0);
    messageRow->addWidget(m_message, 1);
    messageRow->addStretch(0);
    layout->addLayout(messageRow);
    layout->addWidget(m_quitButton, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return m_messagePane;
}

QWidget *WindowPickerView::makeList()
{
    m_list = new QScrollArea(m_listArea);
    m_list->setObjectName(QStringLiteral("capture-window-list"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setWidgetResizable(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fillWith(m_list->viewport(), VeyraBrandPalette::canvas());

    auto *content = new QWidget;
    fillWith(content, VeyraBrandPalette::canvas());
    auto *card = new InsetListCard(content);
    m_groupsLayout = new QVBoxLayout(card);
    m_groupsLayout->setContentsMargins(6, 6, 6, 6);
    m_groupsLayout->setSpacing(1);
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(16, 14, 16, 14);
    contentLayout->addWidget(card);
    contentLayout->addStretch(1);
    m_list->setWidget(content);
    return m_list;
}

QWidget *WindowPickerView::makeFooter()
{
    auto *footer = new QWidget(this);
    fillWith(footer, VeyraBrandPalette::canvas());
    m_selectionError = screenStyle::plainLabel(BrandTextStyle::caption, screenStyle::errorRed(), footer);
    m_selectionError->setObjectName(QStringLiteral("window-selection-error"));
    m_selectionError->setWordWrap(true);

    m_refreshButton = screenStyle::button(footer);
    m_refreshButton->setObjectName(QStringLiteral("refresh-capture-windows"));
    connect(m_refreshButton, &QPushButton::clicked, this, [this] { m_model->refresh(m_model->selectedTarget()); });
    m_playButton = screenStyle::button(footer, screenStyle::ButtonRole::prominent);
    m_playButton->setObjectName(QStringLiteral("select-capture-window"));
    m_playButton->setDefault(true);
    connect(m_playButton, &QPushButton::clicked, this, &WindowPickerView::confirmSelection);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addWidget(m_refreshButton);
    buttons->addStretch(1);
    buttons->addWidget(m_playButton);

    auto *layout = new QVBoxLayout(footer);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);
    layout->addWidget(m_selectionError);
    layout->addLayout(buttons);
    return footer;
}

void WindowPickerView::setSessionIsChoosing(bool choosing)
{
    m_sessionIsChoosing = choosing;
}

void WindowPickerView::sessionSelectionRevisionChanged()
{
    m_model->refresh(std::nullopt);
}

void WindowPickerView::confirmSelection()
{
    if (!m_model->selectedTarget()) {
        return;
    }
    QPointer<WindowPickerModel> model = m_model;
    startDetachedTask(
        this,
        [model](QPointer<WindowPickerView> self) -> QCoro::Task<void> {
            const std::optional<CaptureTarget> target = co_await model->confirmSelection();
            if (!self || !target) {
                co_return;
            }
            Q_EMIT self->targetConfirmed(*target);
        },
        m_logger);
}

void WindowPickerView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_sessionIsChoosing && m_model->state() == WindowPickerModel::State::idle()) {
        m_model->refresh(std::nullopt);
    }
}

void WindowPickerView::keyPressEvent(QKeyEvent *event)
{
    // Return is the default action wherever the focus is inside the picker.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_playButton->isEnabled()) {
        m_playButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WindowPickerView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
}

void WindowPickerView::retranslate()
{
    m_guidanceTitle->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Open the game you want to translate first.")));
    m_guidanceCatalogNote->setText(localizedString(QT_TRANSLATE_NOOP(
        "Veyra", "This is not a supported-games catalog. It shows apps and windows currently open on this computer.")));
    m_guidanceRefreshNote->setText(
        localizedString(QT_TRANSLATE_NOOP("Veyra", "If the game is already running but missing, choose Refresh.")));
    m_loadingPane->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Loading windows…")));
    m_quitButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Quit")));
    m_refreshButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Refresh")));
    m_playButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Play with Veyra")));
    for (ApplicationGroupSection *section : std::as_const(m_sections)) {
        section->retranslate();
    }
    showState();
    showSelectionError();
}

void WindowPickerView::showState()
{
    using Kind = WindowPickerModel::State::Kind;
    const WindowPickerModel::State &state = m_model->state();
    m_refreshButton->setEnabled(state.kind() != Kind::loading);
    switch (state.kind()) {
    case Kind::idle:
        m_listArea->setCurrentWidget(m_loadingPane);
        break;
    case Kind::loading:
        // A list or message already shown stays until the new answer replaces it, so
        // that a refresh does not flash the progress pane.
        if (!m_hasShownResult) {
            m_listArea->setCurrentWidget(m_loadingPane);
        }
        break;
    case Kind::loaded:
        m_hasShownResult = true;
        if (m_model->isEmpty()) {
            m_message->setText(localizedString(QT_TRANSLATE_NOOP("Veyra",
                "No selectable windows were found. Open the game you want to translate, then refresh the list.")));
            m_listArea->setCurrentWidget(m_messagePane);
        } else {
            m_listArea->setCurrentWidget(m_list);
        }
        break;
    case Kind::failed:
        m_hasShownResult = true;
        m_message->setText(state.message() ? state.message()->localized() : QString());
        m_listArea->setCurrentWidget(m_messagePane);
        break;
    }
}

void WindowPickerView::rebuildList()
{
    for (ApplicationGroupSection *section : std::as_const(m_sections)) {
        m_groupsLayout->removeWidget(section);
        section->hide();
        section->setParent(nullptr);
        section->deleteLater();
    }
    m_sections.clear();
    QSet<std::int32_t> listed;
    for (const CaptureApplicationGroup &group : m_model->applicationGroups()) {
        auto *section = new ApplicationGroupSection(group, m_groupsLayout->parentWidget());
        section->setExpanded(m_expandedProcesses.contains(group.processID));
        const std::int32_t processID = group.processID;
        connect(section, &ApplicationGroupSection::expandedChanged, this, [this, processID](bool expanded) {
            if (expanded) {
                m_expandedProcesses.insert(processID);
            } else {
                m_expandedProcesses.remove(processID);
            }
        });
        connect(section, &ApplicationGroupSection::windowClicked, this, [this](std::uint32_t windowID) {
            m_model->setSelectedWindowID(windowID);
            m_model->setSelectionError(std::nullopt);
        });
        m_groupsLayout->addWidget(section);
        section->show();
        m_sections.append(section);
        listed.insert(processID);
    }
    m_expandedProcesses.intersect(listed);
    showSelection();
    showState();
}

void WindowPickerView::showSelection()
{
    for (ApplicationGroupSection *section : std::as_const(m_sections)) {
        section->setSelectedWindowID(m_model->selectedWindowID());
    }
    m_playButton->setEnabled(m_model->selectedTarget().has_value());
}

void WindowPickerView::showSelectionError()
{
    const std::optional<ErrorMessage> &error = m_model->selectionError();
    m_selectionError->setText(error ? error->localized() : QString());
    m_selectionError->setVisible(error.has_value());
}

} // namespace veyra
