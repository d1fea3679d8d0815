#include "editor/views/CaptureAreaInspector.h"

#include "brand/BrandIcons.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/style/EditorStyle.h"
#include "editor/views/ColorSwatch.h"
#include "editor/views/EditorWidgets.h"
#include "foundation/language/LocalizedString.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace veyra {

namespace {
constexpr double uniformCoverage = 0.7;
const char *const valueTitles[4] = {QT_TRANSLATE_NOOP("Veyra", "Left"), QT_TRANSLATE_NOOP("Veyra", "Top"),
    QT_TRANSLATE_NOOP("Veyra", "Width"), QT_TRANSLATE_NOOP("Veyra", "Height")};
const char *const valueNames[4] = {"left", "top", "width", "height"};
} // namespace

CaptureAreaInspector::CaptureAreaInspector(CaptureAreaEditorModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setMinimumWidth(250);
    setMaximumWidth(320);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(18, 18, 18, 18);
    root->setSpacing(12);

    m_title = makeLabel(this, EditorFonts::headline());
    root->addWidget(m_title);

    m_selectedSection = new QWidget(this);
    auto *selected = new QVBoxLayout(m_selectedSection);
    selected->setContentsMargins(0, 0, 0, 0);
    selected->setSpacing(12);

    auto *boxIDColumn = new QVBoxLayout();
    boxIDColumn->setSpacing(4);
    m_boxIDTitle = makeLabel(m_selectedSection, EditorFonts::caption(), EditorColors::secondaryText(palette()));
    m_boxID = new QLineEdit(m_selectedSection);
    m_boxID->setObjectName(QStringLiteral("capture-area-id"));
    boxIDColumn->addWidget(m_boxIDTitle);
    boxIDColumn->addWidget(m_boxID);
    selected->addLayout(boxIDColumn);
    selected->addWidget(makeDivider(m_selectedSection));

    auto *regionColumn = new QVBoxLayout();
    regionColumn->setSpacing(10);
    auto *typeRow = new QHBoxLayout();
    m_regionTypeLabel = makeLabel(m_selectedSection, EditorFonts::caption(), EditorColors::secondaryText(palette()));
    m_regionTypeLabel->setObjectName(QStringLiteral("capture-area-region-type-label"));
    m_regionType = makeLabel(m_selectedSection, EditorFonts::withWeight(EditorFonts::caption(), QFont::DemiBold));
    m_regionType->setObjectName(QStringLiteral("capture-area-region-type"));
    typeRow->addWidget(m_regionTypeLabel);
    typeRow->addStretch();
    typeRow->addWidget(m_regionType);
    regionColumn->addLayout(typeRow);
    auto *values = new QGridLayout();
    values->setHorizontalSpacing(12);
    values->setVerticalSpacing(6);
    for (int i = 0; i < 4; ++i) {
        m_valueLabels[i] = makeLabel(m_selectedSection,
            EditorFonts::withWeight(EditorFonts::caption(), QFont::DemiBold), EditorColors::secondaryText(palette()));
        m_valueLabels[i]->setObjectName(QStringLiteral("capture-area-%1-label").arg(QLatin1String(valueNames[i])));
        m_values[i] = makeLabel(m_selectedSection, EditorFonts::caption());
        m_values[i]->setObjectName(QStringLiteral("capture-area-%1-value").arg(QLatin1String(valueNames[i])));
        m_values[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        values->addWidget(m_valueLabels[i], i / 2, (i % 2) * 2);
        values->addWidget(m_values[i], i / 2, (i % 2) * 2 + 1);
    }
    values->setColumnStretch(1, 1);
    values->setColumnStretch(3, 1);
    regionColumn->addLayout(values);
    selected->addLayout(regionColumn);
    selected->addWidget(makeDivider(m_selectedSection));

    auto *backgroundColumn = new QVBoxLayout();
    backgroundColumn->setSpacing(8);
    m_backgroundTitle
        = makeLabel(m_selectedSection, EditorFonts::withWeight(EditorFonts::subheadline(), QFont::DemiBold));
    backgroundColumn->addWidget(m_backgroundTitle);
    m_swatchRow = new QWidget(m_selectedSection);
    auto *swatchRow = new QHBoxLayout(m_swatchRow);
    swatchRow->setContentsMargins(0, 0, 0, 0);
    swatchRow->setSpacing(10);
    m_swatch = new ColorSwatch(m_swatchRow);
    m_rgb = makeLabel(m_swatchRow, EditorFonts::caption());
    m_rgb->setObjectName(QStringLiteral("capture-background-rgb"));
    swatchRow->addWidget(m_swatch);
    swatchRow->addWidget(m_rgb, 1);
    backgroundColumn->addWidget(m_swatchRow);
    m_pickHint = makeLabel(m_selectedSection, EditorFonts::caption(), EditorColors::secondaryText(palette()));
    m_pickHint->setWordWrap(true);
    backgroundColumn->addWidget(m_pickHint);

    m_explanation = new QFrame(m_selectedSection);
    m_explanation->setObjectName(QStringLiteral("capture-search-area-explanation"));
    m_explanation->setStyleSheet(QStringLiteral(
        "QFrame#capture-search-area-explanation { background: rgba(0, 122, 255, 26); border-radius: 8px; }"));
    auto *explanation = new QHBoxLayout(m_explanation);
    explanation->setContentsMargins(12, 12, 12, 12);
    explanation->setSpacing(8);
    m_explanationSymbol = new QLabel(m_explanation);
    m_explanationSymbol->setPixmap(symbolPixmap(
        QStringLiteral("info.circle.fill"), QSize(14, 14), EditorColors::systemBlue(), devicePixelRatioF()));
    m_explanationSymbol->setAlignment(Qt::AlignTop);
    m_explanationText = makeLabel(m_explanation, EditorFonts::caption());
    m_explanationText->setWordWrap(true);
    explanation->addWidget(m_explanationSymbol);
    explanation->addWidget(m_explanationText, 1);
    backgroundColumn->addWidget(m_explanation);
    selected->addLayout(backgroundColumn);
    root->addWidget(m_selectedSection);

    m_noSelection = makeLabel(this, EditorFonts::body(), EditorColors::secondaryText(palette()));
    m_noSelection->setWordWrap(true);
    root->addWidget(m_noSelection);

    m_warning = makeLabel(this, EditorFonts::caption(), EditorColors::systemOrange());
    m_warning->setObjectName(QStringLiteral("capture-background-warning"));
    m_warning->setWordWrap(true);
    root->addWidget(m_warning);

    m_message = makeLabel(this, EditorFonts::caption(), EditorColors::systemRed());
    m_message->setObjectName(QStringLiteral("capture-area-validation"));
    m_message->setWordWrap(true);
    root->addWidget(m_message);

    root->addStretch(1);
    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cancel-capture-areas"));
    m_save = new QPushButton(this);
    m_save->setObjectName(QStringLiteral("save-capture-areas"));
    m_save->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_save);
    root->addLayout(buttons);

    connect(m_boxID, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_model.renameSelectedArea(text);
        if (m_model.selection() == text) {
            m_shownID = text;
        }
    });
    connect(m_cancel, &QPushButton::clicked, this, &CaptureAreaInspector::cancelRequested);
    connect(m_save, &QPushButton::clicked, this, &CaptureAreaInspector::saveRequested);
    for (auto signal : {&CaptureAreaEditorModel::areasChanged, &CaptureAreaEditorModel::selectionChanged,
             &CaptureAreaEditorModel::persistenceErrorChanged, &CaptureAreaEditorModel::snapshotChanged}) {
        connect(&m_model, signal, this, &CaptureAreaInspector::refresh);
    }
    retranslate();
}

QSize CaptureAreaInspector::sizeHint() const
{
    // Always the ideal width, so that the canvas does not jump when the content changes.
    return {280, QWidget::sizeHint().height()};
}

void CaptureAreaInspector::retranslate()
{
    m_title->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Capture Area")));
    const QString boxID = localizedString(QT_TRANSLATE_NOOP("Veyra", "Box ID"));
    m_boxIDTitle->setText(boxID);
    m_boxID->setPlaceholderText(boxID);
    m_boxID->setAccessibleName(boxID);
    m_regionTypeLabel->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Selected region")));
    for (int i = 0; i < 4; ++i) {
        m_valueLabels[i]->setText(localizedString(valueTitles[i]));
    }
    m_backgroundTitle->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Background")));
    m_pickHint->setText(localizedString(QT_TRANSLATE_NOOP(
        "Veyra", "Use the eyedropper and click a clean, text-free part of the dialogue background.")));
    m_explanationText->setText(localizedString(QT_TRANSLATE_NOOP(
        "Veyra", "Blue marks a rough search area. Each box keeps its own sampled background color.")));
    m_noSelection->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Select a capture area to edit it.")));
    m_warning->setText(
        localizedString(QT_TRANSLATE_NOOP("Veyra", "Choose a more uniform background point for reliable detection.")));
    m_cancel->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Cancel")));
    m_save->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Save")));
    refresh();
}

void CaptureAreaInspector::refresh()
{
    const std::optional<CaptureAreaDraft> selected = m_model.selectedArea();
    m_selectedSection->setVisible(selected.has_value());
    m_noSelection->setVisible(!selected);
    if (selected) {
        if (m_shownID != selected->id) {
            m_boxID->setText(selected->id);
            m_shownID = selected->id;
        }
        m_regionType->setText(m_model.selectedAreaTypeName().value_or(QString()));
        const CaptureRegion &region = selected->searchRegion;
        const qint64 numbers[4] = {region.left, region.top, region.width, region.height};
        for (int i = 0; i < 4; ++i) {
            m_values[i]->setText(QString::number(numbers[i]));
        }
        m_swatchRow->setVisible(selected->backgroundPattern.has_value());
        if (const auto &pattern = selected->backgroundPattern) {
            m_swatch->setColor(QColor(
                static_cast<int>(pattern->red), static_cast<int>(pattern->green), static_cast<int>(pattern->blue)));
            m_rgb->setText(localizedFormat(QT_TRANSLATE_NOOP("Veyra", "R %@  G %@  B %@"),
                {QString::number(pattern->red), QString::number(pattern->green), QString::number(pattern->blue)}));
        }
    } else {
        m_shownID.reset();
    }
    const bool nonUniform
        = selected && selected->backgroundSampleCoverage && *selected->backgroundSampleCoverage < uniformCoverage;
    m_warning->setVisible(nonUniform);

    const std::optional<QString> validation = m_model.validationMessage();
    const std::optional<QString> message
        = m_model.persistenceError() ? std::optional<QString>(m_model.persistenceError()->localized()) : validation;
    m_message->setText(message.value_or(QString()));
    m_message->setVisible(message.has_value());
    m_save->setEnabled(m_model.snapshot().has_value() && !validation);
}

} // namespace veyra
