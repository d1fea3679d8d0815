#include "settings/window/SettingsView.h"

#include "brand/BrandIcons.h"
#include "brand/VeyraBrandLockup.h"
#include "brand/VeyraBrandPalette.h"
#include "brand/WindowFit.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/text/PlainText.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "settings/account/AccountSettingsSection.h"
#include "settings/account/SettingsAccountProviding.h"
#include "settings/general/GeneralSettingsForm.h"
#include "settings/overlay/OverlaySettingsSection.h"
#include "settings/style/SettingsStyle.h"
#include "settings/window/ResetSettingsButton.h"
#include "settings/window/SettingsReset.h"
#include "settings/window/SettingsSectionRow.h"
#include "translation/translations/TranslationSettingsModel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace veyra {

namespace {

constexpr int headerHorizontalPadding = 24;
constexpr int confirmationTextWidth = 300;
constexpr const char *resetTitleKey = QT_TRANSLATE_NOOP("Veyra", "Reset settings?");
constexpr const char *resetMessageKey
    = QT_TRANSLATE_NOOP("Veyra", "This resets language, opacity, and text sizes to their defaults.");
constexpr const char *cancelKey = QT_TRANSLATE_NOOP("Veyra", "Cancel");
constexpr const char *resetKey = QT_TRANSLATE_NOOP("Veyra", "Reset");

int pageIndex(VeyraSettingsSection section)
{
    return static_cast<int>(section);
}

// A form page: the form at the top with the detail column's side padding.
QWidget *padded(QWidget *form)
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(headerHorizontalPadding, 6, headerHorizontalPadding, 20);
    layout->addWidget(form);
    layout->addStretch(1);
    return page;
}

} // namespace

SettingsView::SettingsView(TranslationSettingsModel *translationModel, OverlaySettingsModel *overlayModel,
    ClientLanguageSettingsModel *clientLanguageModel, SettingsAccountProviding *session,
    std::optional<AppVersionInfo> appVersionInfo, QWidget *parent)
    : QWidget(parent)
    , m_translationModel(translationModel)
    , m_overlayModel(overlayModel)
    , m_clientLanguageModel(clientLanguageModel)
    , m_session(session)
    , m_appVersionInfo(std::move(appVersionInfo))
{
    setFixedSize(windowSize);
    // The window's tint: sliders, selections and focus take the brand's orange.
    QPalette tinted = palette();
    tinted.setColor(QPalette::Highlight, VeyraBrandPalette::orange());
    tinted.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(tinted);

    // The content keeps its size; on a screen with less room the window is smaller and
    // the content scrolls in it.
    auto *content = new QWidget(this);
    content->setFixedSize(windowSize);
    auto *divider = new QFrame(content);
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);

    auto *layout = new QHBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeSidebar(content));
    layout->addWidget(divider);
    layout->addWidget(makeDetail(content), 1);

    auto *window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->addWidget(WindowFit::scrolling(content, this));

    retranslate();
    showSelection();
}

SettingsView::~SettingsView() = default;

QWidget *SettingsView::makeSidebar(QWidget *content)
{
    auto *sidebar = new QWidget(content);
    sidebar->setFixedWidth(sidebarWidth);
    sidebar->setAutoFillBackground(true);
    QPalette panel = sidebar->palette();
    panel.setColor(QPalette::Window, panel.color(QPalette::Window).darker(104));
    sidebar->setPalette(panel);

    auto *lockup = new VeyraBrandLockup(appDisplayName(), 34, sidebar);
    auto *lockupBox = new QHBoxLayout;
    lockupBox->setContentsMargins(12, 16, 12, 8);
    lockupBox->addWidget(lockup);

    auto *rows = new QVBoxLayout;
    rows->setContentsMargins(10, 8, 10, 0);
    rows->setSpacing(2);
    for (std::size_t index = 0; index < allVeyraSettingsSections.size(); ++index) {
        auto *row = new SettingsSectionRow(allVeyraSettingsSections.at(index), sidebar);
        connect(row, &QAbstractButton::clicked, this, [this, row] { setSelection(row->section()); });
        connect(row, &SettingsSectionRow::stepRequested, this, [this, index](int step) {
            const auto next = static_cast<std::size_t>(
                std::clamp(static_cast<int>(index) + step, 0, static_cast<int>(m_rows.size()) - 1));
            setSelection(m_rows.at(next)->section());
            m_rows.at(next)->setFocus(Qt::TabFocusReason);
        });
        m_rows.at(index) = row;
        rows->addWidget(row);
    }

    m_resetButton = new ResetSettingsButton(sidebar);
    m_resetButton->setObjectName(QStringLiteral("reset-settings"));
    connect(m_resetButton, &QAbstractButton::clicked, this, &SettingsView::presentResetConfirmation);

    auto *bottom = new QVBoxLayout;
    bottom->setContentsMargins(12, 10, 12, 10);
    bottom->setSpacing(6);
    bottom->addWidget(m_resetButton);
    if (m_appVersionInfo) {
        m_versionLine = new QLabel(sidebar);
        m_versionLine->setObjectName(QStringLiteral("app-version"));
        m_versionLine->setTextFormat(Qt::PlainText);
        m_versionLine->setAlignment(Qt::AlignCenter);
        m_versionLine->setFont(settingsStyle::caption2(font()));
        settingsStyle::setTextColor(m_versionLine, settingsStyle::secondaryText(palette()));
        bottom->addWidget(m_versionLine);
    }

    auto *layout = new QVBoxLayout(sidebar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(lockupBox);
    layout->addLayout(rows);
    layout->addStretch(1);
    layout->addLayout(bottom);
    return sidebar;
}

QWidget *SettingsView::makeDetail(QWidget *content)
{
    auto *detail = new QWidget(content);
    m_header = new QLabel(detail);
    m_header->setTextFormat(Qt::PlainText);
    m_header->setFont(settingsStyle::sectionHeader(font()));
    // (A label manages its own contents margins as a frame: the padding goes around it.)
    auto *headerBox = new QHBoxLayout;
    headerBox->setContentsMargins(headerHorizontalPadding, 22, headerHorizontalPadding, 10);
    headerBox->addWidget(m_header);

    m_generalForm = new GeneralSettingsForm(m_clientLanguageModel, m_translationModel);
    m_accountForm = new AccountSettingsSection(m_session);
    m_overlayForm = new OverlaySettingsSection(m_overlayModel);
    m_forms = new QStackedWidget(detail);
    m_forms->insertWidget(pageIndex(VeyraSettingsSection::general), padded(m_generalForm));
    m_forms->insertWidget(pageIndex(VeyraSettingsSection::account), padded(m_accountForm));
    m_forms->insertWidget(pageIndex(VeyraSettingsSection::overlay), padded(m_overlayForm));

    auto *layout = new QVBoxLayout(detail);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(headerBox);
    layout->addWidget(m_forms, 1);
    return detail;
}

void SettingsView::setSelection(std::optional<VeyraSettingsSection> section)
{
    m_selection = section;
    showSelection();
}

void SettingsView::showSelection()
{
    const VeyraSettingsSection shown = m_selection.value_or(VeyraSettingsSection::general);
    // The list is one stop of the tab chain: the row of the shown section; the arrow
    // keys move within it.
    for (SettingsSectionRow *row : m_rows) {
        row->setChecked(m_selection == row->section());
        row->setFocusPolicy(row->section() == shown ? Qt::TabFocus : Qt::NoFocus);
    }
    for (SettingsSectionRow *row : m_rows) {
        if (row->hasFocus() && row->section() != shown) {
            m_rows.at(static_cast<std::size_t>(pageIndex(shown)))->setFocus(Qt::OtherFocusReason);
        }
    }
    m_header->setText(sectionTitle(shown));
    m_forms->setCurrentIndex(pageIndex(shown));
}

void SettingsView::retranslate()
{
    setLocale(currentClientLanguageLocale());
    for (SettingsSectionRow *row : m_rows) {
        row->retranslate();
    }
    m_resetButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Reset Settings…")));
    m_resetButton->setAccessibleName(m_resetButton->text());
    if (m_versionLine && m_appVersionInfo) {
        m_versionLine->setText(localizedFormat(
            QT_TRANSLATE_NOOP("Veyra", "Version %@ (%@)"), {m_appVersionInfo->version, m_appVersionInfo->build}));
        m_versionLine->setAccessibleName(m_versionLine->text());
    }
    m_generalForm->retranslate();
    m_accountForm->retranslate();
    m_overlayForm->retranslate();
    retranslateResetConfirmation();
    showSelection();
}

void SettingsView::presentResetConfirmation()
{
    if (m_resetConfirmation) {
        m_resetConfirmation->raise();
        return;
    }
    auto *box = new QMessageBox(this);
    box->setObjectName(QStringLiteral("reset-settings-confirmation"));
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIconPixmap(veyraApplicationIcon().pixmap(QSize(48, 48), devicePixelRatioF()));
    QPushButton *cancel = box->addButton(QString(), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel-reset-settings"));
    QPushButton *reset = box->addButton(QString(), QMessageBox::DestructiveRole);
    reset->setObjectName(QStringLiteral("confirm-reset-settings"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    connect(reset, &QPushButton::clicked, this, &SettingsView::resetAllSettings);
    // The box deletes itself later; from now on it no longer counts as shown.
    connect(box, &QDialog::finished, this, [this, box] {
        if (m_resetConfirmation == box) {
            m_resetConfirmation.clear();
        }
    });
    m_resetConfirmation = box;
    retranslateResetConfirmation();
    box->open();
}

void SettingsView::retranslateResetConfirmation()
{
    if (!m_resetConfirmation) {
        return;
    }
    m_resetConfirmation->setWindowTitle(localizedString(resetTitleKey));
    m_resetConfirmation->setText(localizedString(resetTitleKey));
    m_resetConfirmation->setInformativeText(richTextOfPlainText(localizedString(resetMessageKey)));
    if (auto *title = m_resetConfirmation->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        QFont bold = title->font();
        bold.setWeight(QFont::DemiBold);
        title->setFont(bold);
    }
    // Without a floor the message box wraps the message into a narrow column.
    if (auto *message = m_resetConfirmation->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
        message->setMinimumWidth(confirmationTextWidth);
    }
    const QString cancelName = QStringLiteral("cancel-reset-settings");
    const QString resetName = QStringLiteral("confirm-reset-settings");
    for (QAbstractButton *button : m_resetConfirmation->buttons()) {
        if (button->objectName() == cancelName) {
            button->setText(localizedString(cancelKey));
        } else if (button->objectName() == resetName) {
            button->setText(localizedString(resetKey));
        }
    }
}

bool SettingsView::isResetConfirmationPresented() const
{
    return m_resetConfirmation && m_resetConfirmation->isVisible();
}

void SettingsView::resetAllSettings()
{
    if (m_clientLanguageModel && m_translationModel && m_overlayModel) {
        veyra::resetAllSettings(*m_clientLanguageModel, *m_translationModel, *m_overlayModel);
    }
}

void SettingsView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
}

void SettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Coming on screen, not being restored from a minimised window.
    if (!event->spontaneous()) {
        m_accountForm->refreshAccount();
    }
}

} // namespace veyra
