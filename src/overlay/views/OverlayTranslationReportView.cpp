#include "overlay/views/OverlayTranslationReportView.h"

#include "brand/ProgressSpinner.h"
#include "foundation/language/LocalizedString.h"
#include "overlay/state/OverlayTranslationReportModel.h"
#include "overlay/views/LineLimitedLabel.h"
#include "overlay/views/OverlayStyle.h"
#include "overlay/views/WrappedTextLabel.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace veyra {

namespace {

// One reportable row of the list: the translation above the recognised text, each cut
// after two lines, on a rounded tint; the whole row is the button.
class ReportTargetRow : public QAbstractButton
{
public:
    ReportTargetRow(const TranslationReportTarget &target, const QColor &secondary, QWidget *parent)
        : QAbstractButton(parent)
    {
        setObjectName(QStringLiteral("translation-error-report-row-") + target.areaID);
        setAccessibleName(target.translatedText);
        setAccessibleDescription(target.sourceText);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(10, 10, 10, 10);
        layout->setSpacing(4);
        auto *translated = new LineLimitedLabel(target.translatedText, 2, this);
        translated->setFont(styledFont(BrandTextStyle::body, this, QFont::Medium));
        auto *source = new LineLimitedLabel(target.sourceText, 2, this);
        source->setFont(styledFont(BrandTextStyle::caption, this));
        setForeground(source, secondary);
        for (QWidget *label : {static_cast<QWidget *>(translated), static_cast<QWidget *>(source)}) {
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
            layout->addWidget(label);
        }
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    QSize sizeHint() const override { return layout()->sizeHint(); }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return layout()->heightForWidth(width); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor tint = palette().color(QPalette::WindowText);
        tint.setAlphaF(isDown() || underMouse() ? 0.16F : 0.10F);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 8, 8);
        painter.fillPath(shape, tint);
    }
};

// Scrolls vertically only; its indicator shows only while there is something to scroll.
QScrollArea *verticalScrollArea(QWidget *parent)
{
    auto *scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return scroll;
}

QLabel *wrappedLabel(
    const QString &text, const QFont &font, const QColor &color, QWidget *parent, const QString &objectName = {})
{
    QLabel *label = plainLabel(text, font, color, parent, objectName, true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

OverlayTranslationReportView::OverlayTranslationReportView(OverlayTranslationReportModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_layout(new QVBoxLayout(this))
    , m_title(plainLabel(QString(), styledFont(BrandTextStyle::headline, this, QFont::DemiBold),
          palette().color(QPalette::WindowText), this))
{
    setFixedSize(contentSize);
    setFocusPolicy(Qt::StrongFocus);
    m_layout->setContentsMargins(18, 18, 18, 18);
    m_layout->setSpacing(14);
    m_layout->addWidget(m_title);
    connect(model, &OverlayTranslationReportModel::screenChanged, this, &OverlayTranslationReportView::showScreen);
    connect(model, &OverlayTranslationReportModel::isSubmittingChanged, this,
        &OverlayTranslationReportView::updateSubmissionState);
    connect(model, &OverlayTranslationReportModel::failureMessageChanged, this,
        &OverlayTranslationReportView::updateSubmissionState);
    showScreen();
}

void OverlayTranslationReportView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        report();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void OverlayTranslationReportView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    setFocus(Qt::PopupFocusReason);
}

void OverlayTranslationReportView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        showScreen();
    }
}

void OverlayTranslationReportView::showScreen()
{
    m_title->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Report a Translation Error")));
    if (!m_model) {
        return;
    }
    if (m_screen != nullptr) {
        // The clicked row or button may be what led here.
        m_screen->hide();
        m_screen->setParent(nullptr);
        m_screen->deleteLater();
    }
    m_cancelButton = nullptr;
    m_reportButton = nullptr;
    m_progress = nullptr;
    m_failure = nullptr;
    const auto &confirmed = m_model->screen().confirmedTarget();
    m_screen = confirmed ? makeConfirmation(*confirmed) : makeList();
    m_layout->addWidget(m_screen, 1);
    updateSubmissionState();
    m_screen->show();
}

QWidget *OverlayTranslationReportView::makeList()
{
    auto *screen = new QWidget(this);
    auto *layout = new QVBoxLayout(screen);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(
        wrappedLabel(localizedString(QT_TRANSLATE_NOOP("Veyra", "Select the translation that should be reported.")),
            styledFont(BrandTextStyle::callout, this), secondaryColor(), screen));

    QScrollArea *scroll = verticalScrollArea(screen);
    auto *rows = new QWidget(scroll);
    auto *rowsLayout = new QVBoxLayout(rows);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(8);
    for (const TranslationReportTarget &target : m_model->targets()) {
        auto *row = new ReportTargetRow(target, secondaryColor(), rows);
        connect(row, &QAbstractButton::clicked, this, [this, target] {
            if (m_model) {
                m_model->select(target);
            }
        });
        rowsLayout->addWidget(row);
    }
    rowsLayout->addStretch(1);
    scroll->setWidget(rows);
    layout->addWidget(scroll, 1);
    return screen;
}

QWidget *OverlayTranslationReportView::makeConfirmation(const TranslationReportTarget &target)
{
    auto *screen = new QWidget(this);
    auto *layout = new QVBoxLayout(screen);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    const QFont caption = styledFont(BrandTextStyle::caption, this);
    layout->addWidget(wrappedLabel(
        localizedString(QT_TRANSLATE_NOOP("Veyra", "Review the OCR text and translation before reporting.")),
        styledFont(BrandTextStyle::callout, this), secondaryColor(), screen));
    layout->addWidget(wrappedLabel(localizedString(QT_TRANSLATE_NOOP("Veyra",
                                       "Reporting sends the captured game window used for this OCR text to the "
                                       "server and stores it for review.")),
        caption, secondaryColor(), screen, QStringLiteral("translation-error-report-screenshot-message")));

    QScrollArea *scroll = verticalScrollArea(screen);
    auto *blocks = new QWidget(scroll);
    auto *blocksLayout = new QVBoxLayout(blocks);
    blocksLayout->setContentsMargins(0, 0, 0, 0);
    blocksLayout->setSpacing(12);
    const auto addBlock = [&](const QString &title, const QString &value, const QString &identifier) {
        auto *block = new QWidget(blocks);
        auto *blockLayout = new QVBoxLayout(block);
        blockLayout->setContentsMargins(0, 0, 0, 0);
        blockLayout->setSpacing(4);
        blockLayout->addWidget(
            plainLabel(title, styledFont(BrandTextStyle::caption, this, QFont::DemiBold), secondaryColor(), block));
        // The whole text, wrapped inside a word that is wider than the popover.
        auto *valueLabel = new WrappedTextLabel(value, block);
        valueLabel->setFont(styledFont(BrandTextStyle::body, this));
        valueLabel->setObjectName(identifier);
        setForeground(valueLabel, palette().color(QPalette::WindowText));
        valueLabel->setAccessibleName(title);
        valueLabel->setAccessibleDescription(value);
        blockLayout->addWidget(valueLabel);
        blocksLayout->addWidget(block);
    };
    addBlock(localizedString(QT_TRANSLATE_NOOP("Veyra", "OCR text")), target.sourceText,
        QStringLiteral("translation-error-report-source"));
    addBlock(localizedString(QT_TRANSLATE_NOOP("Veyra", "Translation")), target.translatedText,
        QStringLiteral("translation-error-report-translation"));
    blocksLayout->addStretch(1);
    scroll->setWidget(blocks);
    layout->addWidget(scroll, 1);

    m_failure = plainLabel(
        QString(), caption, QColor(0xd7, 0x2c, 0x2c), screen, QStringLiteral("translation-error-report-failure"), true);
    layout->addWidget(m_failure);

    auto *buttons = new QHBoxLayout;
    m_cancelButton = new QPushButton(localizedString(QT_TRANSLATE_NOOP("Veyra", "Cancel")), screen);
    m_cancelButton->setFocusPolicy(Qt::NoFocus);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] {
        if (m_model) {
            m_model->showList();
        }
    });
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    m_progress = new QWidget(screen);
    m_progress->setObjectName(QStringLiteral("translation-error-report-progress"));
    auto *progressLayout = new QHBoxLayout(m_progress);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    progressLayout->setSpacing(6);
    auto *spinner = new ProgressSpinner(QFontMetrics(caption).height(), m_progress);
    spinner->setColor(secondaryColor());
    progressLayout->addWidget(spinner, 0, Qt::AlignVCenter);
    progressLayout->addWidget(
        plainLabel(localizedString(QT_TRANSLATE_NOOP("Veyra", "Reporting…")), caption, secondaryColor(), m_progress), 0,
        Qt::AlignVCenter);
    buttons->addWidget(m_progress);
    m_reportButton = new QPushButton(localizedString(QT_TRANSLATE_NOOP("Veyra", "Report")), screen);
    m_reportButton->setObjectName(QStringLiteral("translation-error-report-submit"));
    m_reportButton->setFocusPolicy(Qt::NoFocus);
    m_reportButton->setDefault(true);
    connect(m_reportButton, &QPushButton::clicked, this, &OverlayTranslationReportView::report);
    buttons->addWidget(m_reportButton);
    layout->addLayout(buttons);
    return screen;
}

void OverlayTranslationReportView::updateSubmissionState()
{
    if (!m_model || m_reportButton == nullptr) {
        return;
    }
    const bool submitting = m_model->isSubmitting();
    m_cancelButton->setEnabled(!submitting);
    m_reportButton->setEnabled(!submitting);
    m_progress->setVisible(submitting);
    const std::optional<QString> &failure = m_model->failureMessage();
    m_failure->setText(failure.value_or(QString()));
    m_failure->setVisible(failure.has_value());
}

void OverlayTranslationReportView::report()
{
    if (!m_model || m_reportButton == nullptr || !m_reportButton->isEnabled()) {
        return;
    }
    if (const auto &target = m_model->screen().confirmedTarget()) {
        const TranslationReportTarget chosen = *target;
        m_model->submit(chosen);
    }
}

QColor OverlayTranslationReportView::secondaryColor() const
{
    QColor color = palette().color(QPalette::WindowText);
    color.setAlphaF(0.62F);
    return color;
}

} // namespace veyra
