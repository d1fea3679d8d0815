#include "notes/views/GameMemoErrorRow.h"

#include "foundation/language/LocalizedString.h"
#include "notes/views/ElidedLabel.h"
#include "notes/views/GameMemoStyle.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace veyra {

GameMemoErrorRow::GameMemoErrorRow(int maximumLineCount, QWidget *parent)
    : QWidget(parent)
    , m_message(new ElidedLabel(maximumLineCount, this))
    , m_retryButton(new QPushButton(this))
{
    gameMemoStyle::applyFont(m_message, gameMemoStyle::TextStyle::caption);
    gameMemoStyle::applyTextColor(m_message, gameMemoStyle::errorText(palette()));
    m_message->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_retryButton->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_message, 1, Qt::AlignVCenter);
    layout->addWidget(m_retryButton, 0, Qt::AlignVCenter);

    connect(m_retryButton, &QPushButton::clicked, this, &GameMemoErrorRow::retryRequested);
    retranslate();
}

void GameMemoErrorRow::setMessage(const QString &message)
{
    m_message->setFullText(message);
    m_message->setAccessibleName(message);
}

void GameMemoErrorRow::retranslate()
{
    m_retryButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Try Again")));
}

} // namespace veyra
