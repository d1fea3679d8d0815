#include "settings/general/GeneralSettingsForm.h"

#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/language/LocalizedString.h"
#include "settings/style/SettingsFormSection.h"
#include "settings/style/SettingsStyle.h"
#include "translation/translations/TranslationSettingsModel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace veyra {

namespace {

// Both pickers label their options by position: the two enumerations list Korean,
// Japanese and English in this order.
constexpr std::array<const char *, 3> languageOptionKeys{QT_TRANSLATE_NOOP("Veyra", "Korean"),
    QT_TRANSLATE_NOOP("Veyra", "Japanese"), QT_TRANSLATE_NOOP("Veyra", "English")};

template <typename Language, std::size_t count>
int positionOf(Language language, const std::array<Language, count> &all)
{
    return static_cast<int>(std::find(all.begin(), all.end(), language) - all.begin());
}

QComboBox *makePicker(const char *objectName, QWidget *parent)
{
    auto *picker = new QComboBox(parent);
    picker->setObjectName(QString::fromLatin1(objectName));
    for (std::size_t index = 0; index < languageOptionKeys.size(); ++index) {
        picker->addItem(QString());
    }
    picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    picker->setMinimumWidth(150);
    return picker;
}

void relabel(QComboBox *picker)
{
    for (int index = 0; index < picker->count(); ++index) {
        picker->setItemText(index, localizedString(languageOptionKeys.at(static_cast<std::size_t>(index))));
    }
}

QLabel *makeTitle(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

GeneralSettingsForm::GeneralSettingsForm(
    ClientLanguageSettingsModel *clientLanguageModel, TranslationSettingsModel *translationModel, QWidget *parent)
    : QWidget(parent)
    , m_clientLanguageModel(clientLanguageModel)
    , m_translationModel(translationModel)
    , m_interfaceSection(new SettingsFormSection(this))
    , m_translationSection(new SettingsFormSection(this))
    , m_interfaceTitle(makeTitle(this))
    , m_targetTitle(makeTitle(this))
    , m_interfacePicker(makePicker(interfaceLanguagePickerName, this))
    , m_targetPicker(makePicker(targetLanguagePickerName, this))
{
    m_interfaceSection->contentLayout()->addWidget(makePickerRow(m_interfaceTitle, m_interfacePicker));
    m_translationSection->contentLayout()->addWidget(makePickerRow(m_targetTitle, m_targetPicker));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(18);
    layout->addWidget(m_interfaceSection);
    layout->addWidget(m_translationSection);
    layout->addStretch(1);

    // `activated` is the user's choice only; the menus follow the models without
    // writing back.
    connect(m_interfacePicker, &QComboBox::activated, this, [this](int index) {
        if (m_clientLanguageModel && index >= 0 && index < static_cast<int>(allClientLanguages.size())) {
            m_clientLanguageModel->setLanguage(allClientLanguages.at(static_cast<std::size_t>(index)));
        }
    });
    connect(m_targetPicker, &QComboBox::activated, this, [this](int index) {
        if (m_translationModel && index >= 0 && index < static_cast<int>(allTranslationTargetLanguages.size())) {
            m_translationModel->setTargetLanguage(allTranslationTargetLanguages.at(static_cast<std::size_t>(index)));
        }
    });
    if (m_clientLanguageModel) {
        connect(m_clientLanguageModel, &ClientLanguageSettingsModel::languageChanged, this,
            &GeneralSettingsForm::showModelValues);
    }
    if (m_translationModel) {
        connect(m_translationModel, &TranslationSettingsModel::targetLanguageChanged, this,
            &GeneralSettingsForm::showModelValues);
    }

    retranslate();
    showModelValues();
}

QWidget *GeneralSettingsForm::makePickerRow(QLabel *title, QComboBox *picker)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(title, 1);
    layout->addWidget(picker, 0);
    title->setBuddy(picker);
    return row;
}

void GeneralSettingsForm::retranslate()
{
    m_interfaceSection->setHeader(localizedString(QT_TRANSLATE_NOOP("Veyra", "Interface")));
    m_translationSection->setHeader(localizedString(QT_TRANSLATE_NOOP("Veyra", "Translation")));
    m_interfaceTitle->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Interface language")));
    m_targetTitle->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Target language")));
    m_interfacePicker->setAccessibleName(m_interfaceTitle->text());
    m_targetPicker->setAccessibleName(m_targetTitle->text());
    relabel(m_interfacePicker);
    relabel(m_targetPicker);
}

void GeneralSettingsForm::showModelValues()
{
    if (m_clientLanguageModel) {
        const QSignalBlocker blocker(m_interfacePicker);
        m_interfacePicker->setCurrentIndex(positionOf(m_clientLanguageModel->language(), allClientLanguages));
    }
    if (m_translationModel) {
        const QSignalBlocker blocker(m_targetPicker);
        m_targetPicker->setCurrentIndex(
            positionOf(m_translationModel->targetLanguage(), allTranslationTargetLanguages));
    }
}

} // namespace veyra
