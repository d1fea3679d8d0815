#include "notes/views/GameMemoErrorRow.h"

#include "foundation/language/LocalizedString.h"
#include "notes/views/ElidedLabel.h"
#include "notes/views/GameMemoStyle.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>

#include <algorithm>

namespace veyra {

namespace {

// Holds a message of any length: as tall as the message wants at its width, and
// scrolling when the row is given less.
class MessageScrollArea : public QScrollArea
{
public:
    explicit MessageScrollArea(QWidget *message, QWidget *parent)
        : QScrollArea(parent)
    {
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWidgetResizable(true);
        setWidget(message);
        viewport()->setAutoFillBackground(false);
        message->setAutoFillBackground(false);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    QSize sizeHint() const override
    {
        const int width = std::max(viewport()->width(), 1);
        return {0, widget()->heightForWidth(width) + 2 * frameWidth()};
    }
    QSize minimumSizeHint() const override
    {
        return {0, std::min(sizeHint().height(), 2 * fontMetrics().lineSpacing())};
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        const int before = viewport()->width();
        QScrollArea::resizeEvent(event);
        if (viewport()->width() != before) {
            updateGeometry();
        }
    }
};

} // namespace

GameMemoErrorRow::GameMemoErrorRow(int maximumLineCount, QWidget *parent)
    : QWidget(parent)
    , m_message(new ElidedLabel(maximumLineCount, this))
    , m_messageHolder(nullptr)
    , m_retryButton(new QPushButton(this))
{
    gameMemoStyle::applyFont(m_message, gameMemoStyle::TextStyle::caption);
    gameMemoStyle::applyTextColor(m_message, gameMemoStyle::errorText(palette()));
    m_message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_retryButton->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    if (maximumLineCount == 0) {
        m_messageHolder = new MessageScrollArea(m_message, this);
        layout->addWidget(m_messageHolder, 1);
    } else {
        m_messageHolder = m_message;
        layout->addWidget(m_message, 1, Qt::AlignVCenter);
    }
    layout->addWidget(m_retryButton, 0, Qt::AlignVCenter);

    connect(m_retryButton, &QPushButton::clicked, this, &GameMemoErrorRow::retryRequested);
    retranslate();
}

void GameMemoErrorRow::setMessage(const QString &message)
{
    m_message->setFullText(message);
    m_message->setAccessibleName(message);
    m_messageHolder->updateGeometry();
}

void GameMemoErrorRow::retranslate()
{
    m_retryButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Try Again")));
}

} // namespace veyra
