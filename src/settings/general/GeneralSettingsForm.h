#pragma once

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLabel;

namespace veyra {

class ClientLanguageSettingsModel;
class SettingsFormSection;
class TranslationSettingsModel;

// The General section of the settings window: the interface language under "Interface"
// and the target language under "Translation", each a menu of Korean, Japanese and
// English. A choice goes to the model's setter (which ignores an unchanged value); the
// menus follow the models, also when a reset changes them.
class GeneralSettingsForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char *interfaceLanguagePickerName = "client-interface-language-picker";
    static constexpr const char *targetLanguagePickerName = "translation-target-language-picker";

    GeneralSettingsForm(ClientLanguageSettingsModel *clientLanguageModel, TranslationSettingsModel *translationModel,
        QWidget *parent = nullptr);

    // Looks every text up again in the current interface language.
    void retranslate();

private:
    QWidget *makePickerRow(QLabel *title, QComboBox *picker);
    void showModelValues();

    QPointer<ClientLanguageSettingsModel> m_clientLanguageModel;
    QPointer<TranslationSettingsModel> m_translationModel;
    SettingsFormSection *m_interfaceSection;
    SettingsFormSection *m_translationSection;
    QLabel *m_interfaceTitle;
    QLabel *m_targetTitle;
    QComboBox *m_interfacePicker;
    QComboBox *m_targetPicker;
};

} // namespace veyra
