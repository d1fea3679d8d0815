#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <QWidget>

namespace veyra {

// Where the guide's illustration places its parts, from the panel's size alone.
struct CaptureAreaGuideIllustrationGeometry
{
    // The sample dialogue box.
    QRectF dialogueBox;
    // The generous search area around it: the box grown by a tenth of its size each way.
    QRectF searchArea;
    // Where the eyedropper samples, near the box's lower right corner.
    QPointF samplePoint;

    static CaptureAreaGuideIllustrationGeometry forSize(QSizeF size);
};

// The guide's picture: a game scene with a sample dialogue box, the blue "Dialogue
// Search" area drawn generously around it, and the eyedropper on a text-free spot of the
// box. Hidden from accessibility except for its texts.
class CaptureAreaGuideIllustration : public QWidget
{
    Q_OBJECT
    // The sample line, speaker and area name of the picture last painted (empty before the
    // first paint), for tests.
    Q_PROPERTY(QStringList paintedTexts READ paintedTexts)

public:
    explicit CaptureAreaGuideIllustration(QWidget *parent = nullptr);

    // The sample line of dialogue; the speaker's name is never translated.
    static QString sampleLine();
    static QString speakerName();

    QStringList paintedTexts() const { return m_paintedTexts; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintIllustration(QPainter &painter) const;
    void paintScene(QPainter &painter) const;
    void paintDialogueBox(QPainter &painter, const QRectF &box) const;
    void paintSearchArea(QPainter &painter, const QRectF &area) const;
    void paintEyedropperBadge(QPainter &painter, QPointF centre) const;

    QPixmap m_scene;
    // The dialogue box's blurred shadow for a box of that size.
    struct Shadow
    {
        QSizeF box;
        QImage coverage;
    };
    mutable Shadow m_shadow;
    QStringList m_paintedTexts;
};

} // namespace veyra
