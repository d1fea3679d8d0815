#pragma once

#include "settings/window/VeyraSettingsSection.h"
#include "update/version/AppVersionInfo.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;

class QStackedWidget;

namespace veyra {

class AccountSettingsSection;
class ClientLanguageSettingsModel;
class GeneralSettingsForm;
class OverlaySettingsModel;
class OverlaySettingsSection;
class ResetSettingsButton;
class SettingsAccountProviding;
class SettingsSectionRow;
class TranslationSettingsModel;

// The settings window, of a fixed size (its content scrolls in a smaller window where the
// screen has less room): a sidebar with the brand lockup, the three sections and, at the
// bottom, "Reset Settings…" above the version line; beside
// it the selected section's title and form. Every text is looked up in the interface
// language and looked up again when that language changes; the window's locale follows it
// too. Each time the window comes on screen it asks the session to refresh the signed-in
// account. The models belong to the application and outlive the view.
class SettingsView : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize windowSize{760, 580};
    static constexpr int sidebarWidth = 200;

    SettingsView(TranslationSettingsModel *translationModel, OverlaySettingsModel *overlayModel,
        ClientLanguageSettingsModel *clientLanguageModel, SettingsAccountProviding *session,
        std::optional<AppVersionInfo> appVersionInfo, QWidget *parent = nullptr);
    ~SettingsView() override;

    // The section shown in the detail column; none shows the General section.
    std::optional<VeyraSettingsSection> selection() const { return m_selection; }
    void setSelection(std::optional<VeyraSettingsSection> section);

    // The reset confirmation: a window-modal message box, opened without blocking.
    // "Reset" returns every setting to its default; "Cancel" changes nothing.
    void presentResetConfirmation();
    bool isResetConfirmationPresented() const;
    QMessageBox *resetConfirmation() const { return m_resetConfirmation; }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *makeSidebar(QWidget *content);
    QWidget *makeDetail(QWidget *content);
    void retranslate();
    void retranslateResetConfirmation();
    void showSelection();
    void resetAllSettings();

    QPointer<TranslationSettingsModel> m_translationModel;
    QPointer<OverlaySettingsModel> m_overlayModel;
    QPointer<ClientLanguageSettingsModel> m_clientLanguageModel;
    QPointer<SettingsAccountProviding> m_session;
    std::optional<AppVersionInfo> m_appVersionInfo;
    std::optional<VeyraSettingsSection> m_selection = VeyraSettingsSection::general;

    std::array<SettingsSectionRow *, 3> m_rows{};
    ResetSettingsButton *m_resetButton = nullptr;
    QLabel *m_versionLine = nullptr;
    QLabel *m_header = nullptr;
    QStackedWidget *m_forms = nullptr;
    GeneralSettingsForm *m_generalForm = nullptr;
    AccountSettingsSection *m_accountForm = nullptr;
    OverlaySettingsSection *m_overlayForm = nullptr;
    QPointer<QMessageBox> m_resetConfirmation;
};

} // namespace veyra
