#include "overlay/views/OverlayContentView.h"

#include "brand/ProgressSpinner.h"
#include "brand/VeyraOrangeSignal.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/LocalizedString.h"
#include "overlay/state/OverlayViewModel.h"
#include "overlay/views/LineLimitedLabel.h"
#include "overlay/views/OverlayStyle.h"
#include "overlay/views/WrappedTextLabel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace veyra {

namespace {

const QString sourceRowPrefix = QStringLiteral("overlay-source-text-row-");
const QString translationRowPrefix = QStringLiteral("overlay-translation-text-row-");
const QString progressRowPrefix = QStringLiteral("overlay-translation-progress-");

// A recognised text or translation: wrapped onto as many lines as it needs, never cut.
QLabel *dialogueText(
    const QString &text, const QFont &font, const QColor &color, QWidget *parent, const QString &objectName)
{
    auto *label = new WrappedTextLabel(text, parent);
    label->setFont(font);
    label->setObjectName(objectName);
    setForeground(label, color);
    return label;
}

QWidget *divider(QWidget *parent)
{
    auto *line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, whiteAt(0.16));
    line->setPalette(palette);
    return line;
}

} // namespace

OverlayContentView::OverlayContentView(OverlayViewModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_clip(new QWidget(this))
{
    setObjectName(QStringLiteral("overlay-panel"));
    setAttribute(Qt::WA_TranslucentBackground);
    for (auto changed : {&OverlayViewModel::targetChanged, &OverlayViewModel::captureAreaStateChanged,
             &OverlayViewModel::textRowsChanged, &OverlayViewModel::sourceTextSizePointsChanged,
             &OverlayViewModel::translationTextSizePointsChanged}) {
        connect(model, changed, this, &OverlayContentView::rebuild);
    }
    connect(model, &OverlayViewModel::backgroundOpacityPercentChanged, this, qOverload<>(&QWidget::update));
    rebuild();
}

void OverlayContentView::paintEvent(QPaintEvent *)
{
    if (!m_model) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath background;
    background.addRoundedRect(QRectF(m_clip->geometry()), cornerRadius, cornerRadius);
    QColor fill(Qt::black);
    fill.setAlphaF(static_cast<float>(m_model->backgroundOpacityPercent() / 100.0));
    painter.fillPath(background, fill);
}

void OverlayContentView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeContent();
}

void OverlayContentView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        rebuild();
    }
}

void OverlayContentView::rebuild()
{
    if (!m_model) {
        return;
    }
    setLocale(currentClientLanguageLocale());
    // Clicks pass through the content exactly while the capture areas are ready.
    setAttribute(Qt::WA_TransparentForMouseEvents, m_model->captureAreaState().isReady());
    if (m_content != nullptr) {
        // A button of the old content may be the sender of the change that led here: take
        // the content out of the view now, delete it once the event loop is back.
        m_content->hide();
        m_content->setParent(nullptr);
        m_content->deleteLater();
    }
    m_content = m_model->captureAreaState().isReady() ? makeReadyContent() : makeHelpCard();
    m_content->setParent(m_clip);
    placeContent();
    m_content->show();
}

void OverlayContentView::placeContent()
{
    m_clip->setGeometry(rect().adjusted(outerMargin, outerMargin, -outerMargin, -outerMargin));
    if (m_content == nullptr) {
        return;
    }
    const int width = std::max(m_clip->width() - 2 * contentInset, 0);
    const int available = std::max(m_clip->height() - 2 * contentInset, 0);
    // The content keeps its natural height and runs on into the bottom inset when taller.
    const int natural
        = m_content->hasHeightForWidth() ? m_content->heightForWidth(width) : m_content->sizeHint().height();
    m_content->setGeometry(contentInset, contentInset, width, std::max(available, natural));
}

QWidget *OverlayContentView::makeReadyContent()
{
    if (!m_model->textRows().isEmpty()) {
        QWidget *rows = makeRows();
        rows->setObjectName(QStringLiteral("overlay-capture-areas-ready"));
        return rows;
    }
    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("overlay-capture-areas-ready"));
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    QLabel *waiting = plainLabel(localizedString(QT_TRANSLATE_NOOP("Veyra", "Waiting for dialogue…")),
        styledFont(BrandTextStyle::body, this), whiteAt(0.56), content, QStringLiteral("overlay-waiting-for-dialogue"));
    waiting->setAlignment(Qt::AlignCenter);
    layout->addWidget(waiting, 1, Qt::AlignCenter);
    return content;
}

QWidget *OverlayContentView::makeRows()
{
    auto *outer = new QWidget;
    auto *outerLayout = new QVBoxLayout(outer);
    outerLayout->setContentsMargins(0, 0, 0, 0);
    auto *stack = new QWidget(outer);
    stack->setObjectName(QStringLiteral("overlay-recognized-text"));
    outerLayout->addWidget(stack);
    outerLayout->addStretch(1);

    auto *layout = new QVBoxLayout(stack);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(new VeyraOrangeSignal(localizedString(QT_TRANSLATE_NOOP("Veyra", "Veyra Translation")), stack));
    const QFont sourceFont = sizedFont(m_model->sourceTextSizePoints(), QFont::Normal, this);
    const QFont translationFont = sizedFont(m_model->translationTextSizePoints(), QFont::DemiBold, this);
    bool first = true;
    for (const OverlayTextRow &row : m_model->textRows()) {
        if (!first) {
            layout->addWidget(divider(stack));
        }
        first = false;
        auto *entry = new QWidget(stack);
        auto *entryLayout = new QVBoxLayout(entry);
        entryLayout->setContentsMargins(0, 0, 0, 0);
        entryLayout->setSpacing(5);
        entryLayout->addWidget(
            dialogueText(row.sourceText, sourceFont, whiteAt(0.72), entry, sourceRowPrefix + row.id));
        if (row.translationState == OverlayTranslationState::translating) {
            auto *progress = new QWidget(entry);
            progress->setObjectName(progressRowPrefix + row.id);
            auto *progressLayout = new QHBoxLayout(progress);
            progressLayout->setContentsMargins(0, 0, 0, 0);
            progressLayout->setSpacing(6);
            const QFont caption = styledFont(BrandTextStyle::caption, this);
            auto *spinner = new ProgressSpinner(QFontMetrics(caption).height(), progress);
            spinner->setColor(whiteAt(0.54));
            progressLayout->addWidget(spinner, 0, Qt::AlignVCenter);
            progressLayout->addWidget(plainLabel(localizedString(QT_TRANSLATE_NOOP("Veyra", "Translating…")), caption,
                                          whiteAt(0.54), progress),
                0, Qt::AlignVCenter);
            progressLayout->addStretch(1);
            entryLayout->addWidget(progress);
        } else if (row.translationState == OverlayTranslationState::translated && row.translatedText) {
            entryLayout->addWidget(
                dialogueText(*row.translatedText, translationFont, Qt::white, entry, translationRowPrefix + row.id));
        }
        layout->addWidget(entry);
    }
    return outer;
}

QWidget *OverlayContentView::makeHelpCard()
{
    const OverlayCaptureAreaState &state = m_model->captureAreaState();
    QString identifier;
    QString title;
    QString message;
    QString buttonTitle;
    QString buttonIdentifier;
    void (OverlayContentView::*buttonSignal)() = nullptr;
    switch (state.kind()) {
    case OverlayCaptureAreaState::Kind::requiresCaptureAreas:
        identifier = QStringLiteral("overlay-capture-areas-required");
        title = localizedString(QT_TRANSLATE_NOOP("Veyra", "Capture areas required"));
        message
            = localizedString(QT_TRANSLATE_NOOP("Veyra", "Add at least one capture area before capture can start."));
        buttonTitle = localizedString(QT_TRANSLATE_NOOP("Veyra", "Edit Capture Areas…"));
        buttonIdentifier = QStringLiteral("overlay-edit-capture-areas");
        buttonSignal = &OverlayContentView::editCaptureAreasRequested;
        break;
    case OverlayCaptureAreaState::Kind::loadFailed:
        identifier = QStringLiteral("overlay-capture-areas-load-failed");
        title = localizedString(QT_TRANSLATE_NOOP("Veyra", "Capture areas unavailable"));
        message = state.message() ? state.message()->localized() : QString();
        break;
    case OverlayCaptureAreaState::Kind::targetUnavailable:
    case OverlayCaptureAreaState::Kind::ready:
        identifier = QStringLiteral("overlay-target-unavailable");
        title = localizedString(QT_TRANSLATE_NOOP("Veyra", "Capture window unavailable"));
        message = localizedString(QT_TRANSLATE_NOOP("Veyra", "The selected window is no longer available."));
        buttonTitle = localizedString(QT_TRANSLATE_NOOP("Veyra", "Choose Another Window"));
        buttonIdentifier = QStringLiteral("overlay-choose-another-window");
        buttonSignal = &OverlayContentView::chooseAnotherWindowRequested;
        break;
    }

    auto *card = new QWidget;
    card->setObjectName(identifier);
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(
        new VeyraOrangeSignal(localizedString(QT_TRANSLATE_NOOP("Veyra", "Veyra needs your help")), card));
    layout->addWidget(plainLabel(title, styledFont(BrandTextStyle::headline, this, QFont::DemiBold), Qt::white, card));
    const QFont callout = styledFont(BrandTextStyle::callout, this);
    if (state.kind() == OverlayCaptureAreaState::Kind::loadFailed) {
        auto *label = new LineLimitedLabel(message, 3, card);
        label->setFont(callout);
        setForeground(label, whiteAt(0.72));
        layout->addWidget(label);
    } else {
        layout->addWidget(plainLabel(message, callout, whiteAt(0.72), card, {}, true));
    }

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(makeTargetSummary(card), 1);
    if (buttonSignal != nullptr) {
        auto *button = new QPushButton(buttonTitle, card);
        button->setObjectName(buttonIdentifier);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, buttonSignal);
        bottom->addWidget(button, 0, Qt::AlignVCenter);
    }
    layout->addLayout(bottom);
    layout->addStretch(1);
    return card;
}

QWidget *OverlayContentView::makeTargetSummary(QWidget *parent)
{
    auto *summary = new QWidget(parent);
    summary->setObjectName(QStringLiteral("overlay-capture-target-summary"));
    auto *layout = new QHBoxLayout(summary);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    const QFont caption = styledFont(BrandTextStyle::caption, this);
    const CaptureTarget &target = m_model->target();
    const QString windowTitle
        = target.windowTitle.isEmpty() ? localizedString(QT_TRANSLATE_NOOP("Veyra", "(Untitled)")) : target.windowTitle;
    // One line; the names give way (truncated) when it is too long, the dash does not.
    auto addText = [&](const QString &text, const QString &identifier, QSizePolicy::Policy policy) {
        auto *label = new LineLimitedLabel(text, 1, summary);
        label->setObjectName(identifier);
        label->setFont(caption);
        label->setSizePolicy(policy, QSizePolicy::Fixed);
        setForeground(label, whiteAt(0.54));
        layout->addWidget(label, 0, Qt::AlignVCenter);
    };
    addText(target.applicationName, QStringLiteral("overlay-application-name"), QSizePolicy::Maximum);
    addText(QStringLiteral("—"), {}, QSizePolicy::Fixed);
    addText(windowTitle, QStringLiteral("overlay-window-title"), QSizePolicy::Maximum);
    layout->addStretch(1);
    return summary;
}

} // namespace veyra
