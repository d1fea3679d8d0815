#include "editor/guide/CaptureAreaEditingGuideView.h"

#include "brand/VeyraBrandLockup.h"
#include "brand/VeyraBrandPalette.h"
#include "editor/guide/CaptureAreaGuideIllustration.h"
#include "editor/guide/CaptureAreaGuideStepRow.h"
#include "editor/style/EditorStyle.h"
#include "editor/views/EditorWidgets.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/LocalizedString.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace veyra {

namespace {
const char *const stepTexts[3] = {
    QT_TRANSLATE_NOOP("Veyra",
        "Draw each Dialogue Search area generously around the dialogue window. It does not need to fit exactly."),
    QT_TRANSLATE_NOOP(
        "Veyra", "Select a box, then use the eyedropper on a clean, text-free part of that box's dialogue background."),
    QT_TRANSLATE_NOOP(
        "Veyra", "If dialogue areas do not appear together, save one now and add the next when it appears later."),
};

// The dark scheme the guide forces on its content.
QPalette darkPalette(QPalette palette)
{
    const QColor night = VeyraBrandPalette::canvas();
    for (const auto role : {QPalette::Window, QPalette::Base}) {
        palette.setColor(role, night);
    }
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(role, Qt::white);
    }
    palette.setColor(QPalette::Button, VeyraBrandPalette::surface());
    return palette;
}
} // namespace

CaptureAreaEditingGuideView::CaptureAreaEditingGuideView(std::function<void()> onDone, QWidget *parent)
    : QWidget(parent)
    , m_onDone(std::move(onDone))
{
    setObjectName(QStringLiteral("capture-area-guide"));
    setFixedSize(fixedSize);
    setPalette(darkPalette(palette()));
    setAutoFillBackground(true);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_illustration = new CaptureAreaGuideIllustration(this);
    row->addWidget(m_illustration, 1);

    m_textPanel = new QWidget(this);
    m_textPanel->setFixedWidth(textPanelWidth);
    auto *column = new QVBoxLayout(m_textPanel);
    column->setContentsMargins(28, 28, 28, 28);
    column->setSpacing(0);

    m_lockup = new VeyraBrandLockup(appDisplayName(), 34, m_textPanel);
    setTextColour(m_lockup, Qt::white);
    column->addWidget(m_lockup);
    column->addSpacing(30);

    QFont titleFont = EditorFonts::body();
    titleFont.setPixelSize(25);
    titleFont.setWeight(QFont::DemiBold);
    m_title = makeLabel(m_textPanel, titleFont, Qt::white);
    m_title->setWordWrap(true);
    column->addWidget(m_title);
    column->addSpacing(28);

    auto *steps = new QVBoxLayout();
    steps->setSpacing(17);
    for (int i = 0; i < 3; ++i) {
        m_steps[static_cast<std::size_t>(i)] = new CaptureAreaGuideStepRow(i + 1, m_textPanel);
        steps->addWidget(m_steps[static_cast<std::size_t>(i)]);
    }
    column->addLayout(steps);
    column->addSpacing(24);

    m_note = makeLabel(m_textPanel, EditorFonts::caption());
    m_note->setWordWrap(true);
    m_note->setStyleSheet(QStringLiteral("QLabel { color: rgba(255, 255, 255, 145); background: rgba(242, 120, 0, 26);"
                                         " border-radius: 9px; padding: 12px; }"));
    column->addWidget(m_note);
    column->addStretch(1);

    auto *buttons = new QHBoxLayout();
    buttons->addStretch(1);
    m_done = new QPushButton(m_textPanel);
    m_done->setObjectName(QStringLiteral("capture-area-guide-done"));
    m_done->setDefault(true);
    setButtonFill(*m_done, VeyraBrandPalette::orange(), VeyraBrandPalette::orangeInk());
    m_done->setMinimumWidth(88);
    buttons->addWidget(m_done);
    column->addLayout(buttons);
    row->addWidget(m_textPanel);

    connect(m_done, &QPushButton::clicked, this, [this] {
        const std::function<void()> done = m_onDone;
        done();
    });
    retranslate();
}

void CaptureAreaEditingGuideView::keyPressEvent(QKeyEvent *event)
{
    // Return is the default action, in a dialog or not.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        m_done->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CaptureAreaEditingGuideView::retranslate()
{
    m_title->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Show Veyra where dialogue appears")));
    for (std::size_t i = 0; i < m_steps.size(); ++i) {
        m_steps[i]->setText(localizedString(stepTexts[i]));
    }
    m_note->setText(localizedString(QT_TRANSLATE_NOOP(
        "Veyra", "Blue marks a rough search area. Each box keeps its own sampled background color.")));
    m_done->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Done")));
    m_illustration->update();
}

} // namespace veyra
