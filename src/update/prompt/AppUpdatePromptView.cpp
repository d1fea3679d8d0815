#include "update/prompt/AppUpdatePromptView.h"

#include "brand/BrandTextStyles.h"
#include "brand/ProgressSpinner.h"
#include "brand/VeyraAppIcon.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/language/LocalizedString.h"
#include "update/prompt/AppUpdatePromptModel.h"
#include "update/prompt/ReleaseNotesBrowser.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace veyra {

namespace {

enum NotesPage { loadedPage, unavailablePage, loadingPage };

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * alpha));
    return color;
}

QColor secondaryColor(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.62);
}

QLabel *plainLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

void setForeground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    setForeground(line, withAlpha(parent->palette().color(QPalette::Mid), 0.7));
    return line;
}

// The rounded box the release notes scroll in.
class ReleaseNotesBox : public QFrame
{
public:
    explicit ReleaseNotesBox(QWidget *parent)
        : QFrame(parent)
    {
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath box;
        box.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        painter.fillPath(box, withAlpha(palette().color(QPalette::Base), 0.45));
        painter.setPen(QPen(withAlpha(palette().color(QPalette::Mid), 0.5), 1));
        painter.drawPath(box);
    }
};

} // namespace

AppUpdatePromptView::AppUpdatePromptView(
    AppUpdatePromptModel *model, std::function<void()> cancel, std::function<void()> install, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_cancel(std::move(cancel))
    , m_install(std::move(install))
{
    setMinimumSize(minimumContentSize);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeHeader());
    layout->addWidget(divider(this));
    layout->addWidget(makeReleaseNotesSection(), 1);
    layout->addWidget(divider(this));
    layout->addWidget(makeButtonRow());

    // Escape cancels and Return installs wherever the focus is in the window.
    auto *cancelShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(cancelShortcut, &QShortcut::activated, m_cancelButton, &QPushButton::click);
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *installShortcut = new QShortcut(QKeySequence(key), this);
        connect(installShortcut, &QShortcut::activated, m_installButton, &QPushButton::click);
    }
    connect(m_cancelButton, &QPushButton::clicked, this, [this] {
        if (m_cancel) {
            m_cancel();
        }
    });
    connect(m_installButton, &QPushButton::clicked, this, [this] {
        if (m_install) {
            m_install();
        }
    });
    if (m_model) {
        connect(m_model, &AppUpdatePromptModel::releaseNotesChanged, this, &AppUpdatePromptView::refreshReleaseNotes);
    }
    retranslate();
    refreshReleaseNotes();
}

QWidget *AppUpdatePromptView::makeHeader()
{
    auto *header = new QWidget(this);
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(28, 28, 28, 28);
    layout->setSpacing(18);
    layout->addWidget(new VeyraAppIcon(72, header), 0, Qt::AlignTop);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(7);
    m_title = plainLabel(header);
    m_title->setObjectName(QStringLiteral("app-update-title"));
    m_title->setFont(brandTextFont(BrandTextStyle::title, font()));
    m_versions = plainLabel(header);
    m_versions->setObjectName(QStringLiteral("app-update-versions"));
    setForeground(m_versions, secondaryColor(palette()));
    texts->addWidget(m_title);
    texts->addWidget(m_versions);
    texts->addStretch(1);
    layout->addLayout(texts, 1);
    return header;
}

QWidget *AppUpdatePromptView::makeReleaseNotesSection()
{
    auto *section = new QWidget(this);
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(28, 16, 28, 22);
    layout->setSpacing(12);
    m_releaseNotesHeading = plainLabel(section);
    m_releaseNotesHeading->setFont(brandTextFont(BrandTextStyle::headline, font()));
    layout->addWidget(m_releaseNotesHeading);

    auto *box = new ReleaseNotesBox(section);
    box->setObjectName(QStringLiteral("app-update-release-notes"));
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(1, 1, 1, 1);
    m_releaseNotesContent = new QStackedWidget(box);
    boxLayout->addWidget(m_releaseNotesContent);

    m_browser = new ReleaseNotesBrowser(m_releaseNotesContent);
    m_browser->setObjectName(QStringLiteral("app-update-release-notes-text"));
    m_browser->setFrameShape(QFrame::NoFrame);
    m_browser->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_browser->viewport()->setAutoFillBackground(false);
    m_browser->setAutoFillBackground(false);
    m_browser->document()->setDocumentMargin(16);
    m_releaseNotesContent->insertWidget(loadedPage, m_browser);

    auto *unavailablePane = new QWidget(m_releaseNotesContent);
    auto *unavailableLayout = new QVBoxLayout(unavailablePane);
    unavailableLayout->setContentsMargins(16, 16, 16, 16);
    m_unavailable = plainLabel(unavailablePane);
    m_unavailable->setObjectName(QStringLiteral("app-update-release-notes-unavailable"));
    setForeground(m_unavailable, secondaryColor(palette()));
    unavailableLayout->addWidget(m_unavailable);
    unavailableLayout->addStretch(1);
    m_releaseNotesContent->insertWidget(unavailablePage, unavailablePane);

    auto *loadingPane = new QWidget(m_releaseNotesContent);
    loadingPane->setObjectName(QStringLiteral("app-update-release-notes-loading"));
    auto *loadingLayout = new QHBoxLayout(loadingPane);
    loadingLayout->setContentsMargins(16, 16, 16, 16);
    loadingLayout->setSpacing(8);
    auto *spinner = new ProgressSpinner(16, loadingPane);
    spinner->setColor(VeyraBrandPalette::orange());
    m_loading = plainLabel(loadingPane);
    m_loading->setWordWrap(false);
    setForeground(m_loading, secondaryColor(palette()));
    loadingLayout->addWidget(spinner, 0, Qt::AlignTop);
    loadingLayout->addWidget(m_loading, 1, Qt::AlignTop);
    m_releaseNotesContent->insertWidget(loadingPage, loadingPane);

    layout->addWidget(box, 1);
    return section;
}

QWidget *AppUpdatePromptView::makeButtonRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(10);
    layout->addStretch(1);
    m_cancelButton = new QPushButton(row);
    m_cancelButton->setObjectName(QStringLiteral("app-update-cancel"));
    m_installButton = new QPushButton(row);
    m_installButton->setObjectName(QStringLiteral("app-update-install"));
    const QColor orange = VeyraBrandPalette::orange();
    m_installButton->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: white; border: none; border-radius: 6px;"
                       " padding: 6px 18px; font-weight: 600; }"
                       "QPushButton:hover { background-color: %2; }"
                       "QPushButton:pressed { background-color: %3; }"
                       "QPushButton:focus { border: 2px solid %4; padding: 4px 16px; }")
            .arg(orange.name(), orange.lighter(108).name(), orange.darker(112).name(),
                withAlpha(orange.darker(140), 0.8).name(QColor::HexArgb)));
    for (QPushButton *button : {m_cancelButton, m_installButton}) {
        button->setMinimumWidth(96);
        button->setAutoDefault(false);
    }
    layout->addWidget(m_cancelButton);
    layout->addWidget(m_installButton);
    return row;
}

void AppUpdatePromptView::retranslate()
{
    m_title->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "A new version of Veyra is available.")));
    if (m_model) {
        const QString running = m_model->currentVersion() ? m_model->currentVersion()->version : QStringLiteral("–");
        m_versions->setText(localizedFormat(QT_TRANSLATE_NOOP("Veyra", "Veyra %@ is available. You have %@."),
            {m_model->update().displayVersion, running}));
    }
    m_releaseNotesHeading->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Release Notes")));
    m_unavailable->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Release notes are unavailable.")));
    m_loading->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Loading release notes…")));
    m_cancelButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Cancel")));
    m_installButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Update")));
}

void AppUpdatePromptView::refreshReleaseNotes()
{
    if (!m_model) {
        return;
    }
    if (const auto &notes = m_model->releaseNotes()) {
        m_browser->setReleaseNotes(*notes);
        m_releaseNotesContent->setCurrentIndex(loadedPage);
    } else if (m_model->releaseNotesFailed()) {
        m_releaseNotesContent->setCurrentIndex(unavailablePage);
    } else {
        m_releaseNotesContent->setCurrentIndex(loadingPage);
    }
}

void AppUpdatePromptView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
}

void AppUpdatePromptView::showEvent(QShowEvent *event)
{
    retranslate();
    QWidget::showEvent(event);
    // Update is the default action; the notes take the focus only when clicked.
    m_installButton->setFocus(Qt::OtherFocusReason);
}

} // namespace veyra
