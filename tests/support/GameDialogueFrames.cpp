#include "support/GameDialogueFrames.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

namespace veyra::test {

namespace {

// Lines a game character might say; the generator picks one to three of them.
const std::array<const char *, 40> englishLines{
    "I told you the bridge wouldn't hold.",
    "We have to reach the harbour before nightfall.",
    "Did you hear that? Something is moving in the dark.",
    "Keep your voice down, the guards are close.",
    "I'll meet you at the old mill at dawn.",
    "The merchant wants 300 gold for the map.",
    "Nobody has returned from the northern pass.",
    "You fought well today. Rest while you can.",
    "Is this really the way to the capital?",
    "I never thought I'd see this place again.",
    "Take the lantern, it will be dark inside.",
    "The king has summoned all knights to the castle.",
    "Wait! Don't open that door yet.",
    "My brother left for the mountains three years ago.",
    "If we hurry, we can still catch the last ship.",
    "These ruins are older than the kingdom itself.",
    "I can't carry all of this by myself.",
    "The storm will pass by tomorrow morning.",
    "Have you seen a girl with a red scarf?",
    "Fine, I'll do it. But you owe me one.",
    "Thank you for saving our village.",
    "The key must be hidden somewhere in the library.",
    "Only 2 days remain until the festival.",
    "Why would anyone build a tower out here?",
    "Stay behind me and don't make a sound.",
    "I remember this song. My mother used to sing it.",
    "The potion should heal your wounds by morning.",
    "Let's split up and search the forest.",
    "Someone stole the crystal from the temple!",
    "We will need a boat to cross the lake.",
    "Are you sure you want to leave so soon?",
    "The old man said the cave is cursed.",
    "I found these letters under the floorboards.",
    "It's quiet. Too quiet for a market day.",
    "Bring me 5 wolf pelts and I'll pay you well.",
    "You look tired. Did you sleep at all?",
    "The gate opens only when the moon is full.",
    "Follow the river east until you reach the falls.",
    "I knew you would come back for me.",
    "Our supplies won't last more than a week.",
};

const std::array<const char *, 40> japaneseLines{
    "この橋はもう長くは持たないぞ。",
    "日が暮れる前に港へ着かないと。",
    "今の音、聞こえた？何かいるみたい。",
    "静かに。見張りがすぐ近くにいる。",
    "夜明けに古い水車小屋で会おう。",
    "商人は地図に金貨三百枚を要求している。",
    "北の峠から戻った者は誰もいない。",
    "今日はよく戦ったな。今のうちに休め。",
    "本当にこの道で都へ行けるの？",
    "またここに来るとは思わなかった。",
    "ランタンを持っていけ。中は暗いぞ。",
    "王がすべての騎士を城に呼び集めた。",
    "待って！まだその扉を開けないで。",
    "兄は三年前に山へ旅立ったきりだ。",
    "急げば最後の船に間に合うかもしれない。",
    "この遺跡は王国そのものより古い。",
    "こんなに一人では運べないよ。",
    "嵐は明日の朝には過ぎ去るだろう。",
    "赤いスカーフの女の子を見なかった？",
    "わかった、やるよ。でも貸しだからな。",
    "村を救ってくれてありがとう。",
    "鍵は図書館のどこかに隠されているはずだ。",
    "祭りまであと二日しかない。",
    "どうしてこんな所に塔を建てたんだろう。",
    "私の後ろにいて、音を立てないで。",
    "この歌、覚えてる。母がよく歌っていた。",
    "この薬を飲めば朝には傷が治るはずです。",
    "手分けして森を探そう。",
    "誰かが神殿から水晶を盗んだ！",
    "湖を渡るには船が必要だ。",
    "本当にもう行ってしまうのですか？",
    "老人はあの洞窟が呪われていると言った。",
    "床下からこの手紙を見つけました。",
    "静かすぎる。市場の日なのに。",
    "狼の毛皮を五枚持ってくれば礼をはずむ。",
    "疲れているようだね。少しは眠れた？",
    "満月の夜にだけ門が開くという。",
    "滝に着くまで川沿いに東へ進め。",
    "きっと迎えに来てくれると信じていた。",
    "食料はあと一週間ももたない。",
};

const std::array<const char *, 40> koreanLines{
    "그 다리는 오래 버티지 못할 거라고 했잖아.",
    "해가 지기 전에 항구에 도착해야 해.",
    "방금 그 소리 들었어? 뭔가 움직이고 있어.",
    "목소리를 낮춰. 경비병이 가까이 있어.",
    "새벽에 오래된 방앗간에서 만나자.",
    "상인은 지도 값으로 금화 삼백 개를 원해.",
    "북쪽 고개에서 돌아온 사람은 아무도 없어.",
    "오늘 정말 잘 싸웠어. 지금 쉬어 둬.",
    "정말 이 길로 가면 수도가 나와?",
    "이곳을 다시 보게 될 줄은 몰랐어.",
    "등불을 가져가. 안은 어두울 거야.",
    "왕께서 모든 기사를 성으로 부르셨다.",
    "잠깐! 아직 그 문을 열지 마.",
    "형은 삼 년 전에 산으로 떠났어.",
    "서두르면 마지막 배를 탈 수 있을지도 몰라.",
    "이 유적은 왕국보다도 오래되었어.",
    "이걸 혼자서 다 들 수는 없어.",
    "폭풍은 내일 아침이면 지나갈 거야.",
    "빨간 목도리를 한 여자아이를 못 봤어?",
    "알았어, 할게. 대신 빚진 거다.",
    "우리 마을을 구해 줘서 고마워요.",
    "열쇠는 도서관 어딘가에 숨겨져 있을 거야.",
    "축제까지 이틀밖에 남지 않았어.",
    "누가 이런 곳에 탑을 세웠을까?",
    "내 뒤에 있어. 소리 내지 마.",
    "이 노래 기억나. 엄마가 자주 불러 주셨어.",
    "이 약을 마시면 아침에는 상처가 나을 거예요.",
    "흩어져서 숲을 찾아보자.",
    "누군가 신전에서 수정을 훔쳐 갔어!",
    "호수를 건너려면 배가 필요해.",
    "정말 벌써 떠나려는 거야?",
    "노인은 그 동굴이 저주받았다고 했어.",
    "마루 밑에서 이 편지들을 찾았어.",
    "너무 조용해. 장날인데도 말이야.",
    "늑대 가죽 다섯 장을 가져오면 후하게 쳐 줄게.",
    "피곤해 보여. 잠은 좀 잤어?",
    "보름달이 뜨는 밤에만 문이 열린대.",
    "폭포가 나올 때까지 강을 따라 동쪽으로 가.",
    "네가 데리러 올 줄 알았어.",
    "식량이 일주일도 못 버틸 거야.",
};

const std::array<const char *, 8> englishNames{
    "Mira", "Captain Rowe", "Elias", "Old Tom", "Sera", "Guard", "Lena", "Brother Alric"};
const std::array<const char *, 8> japaneseNames{
    "ミラ", "ロウ船長", "エリアス", "老人", "セラ", "門番", "レナ", "アルリック"};
const std::array<const char *, 8> koreanNames{
    "미라", "로우 선장", "엘리아스", "노인", "세라", "경비병", "레나", "알릭"};

// A small deterministic source of choices (the standard distributions differ between
// libraries; these do not).
class Dice
{
public:
    explicit Dice(std::uint32_t seed)
        : m_engine(seed)
    { }

    int between(int low, int high) // inclusive
    {
        return low + static_cast<int>(m_engine() % static_cast<std::uint32_t>(high - low + 1));
    }
    double real(double low, double high) { return low + (high - low) * (m_engine() / 4294967296.0); }
    bool chance(double probability) { return real(0.0, 1.0) < probability; }
    template <typename Container>
    const auto &pick(const Container &items)
    {
        return items[static_cast<std::size_t>(between(0, static_cast<int>(std::size(items)) - 1))];
    }

private:
    std::mt19937 m_engine;
};

int clampChannel(double value)
{
    return std::clamp(static_cast<int>(std::lround(value)), 0, 255);
}

QColor randomColor(Dice &dice, int low, int high)
{
    return QColor(dice.between(low, high), dice.between(low, high), dice.between(low, high));
}

// A colour at about `distance` from `color` in a random direction, kept inside the cube.
QColor colorNear(Dice &dice, const QColor &color, double distance)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const double a = dice.real(-1.0, 1.0);
        const double b = dice.real(-1.0, 1.0);
        const double c = dice.real(-1.0, 1.0);
        const double length = std::sqrt(a * a + b * b + c * c);
        if (length < 0.1) {
            continue;
        }
        const double r = color.red() + a / length * distance;
        const double g = color.green() + b / length * distance;
        const double bl = color.blue() + c / length * distance;
        if (r >= 0 && r <= 255 && g >= 0 && g <= 255 && bl >= 0 && bl <= 255) {
            return QColor(clampChannel(r), clampChannel(g), clampChannel(bl));
        }
    }
    return QColor(clampChannel(color.red() + (color.red() > 127 ? -distance : distance) * 0.58),
        clampChannel(color.green() + (color.green() > 127 ? -distance : distance) * 0.58),
        clampChannel(color.blue() + (color.blue() > 127 ? -distance : distance) * 0.58));
}

QStringList familiesFor(DialogueLanguage language)
{
    switch (language) {
    case DialogueLanguage::english:
        return {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Sans"),
            QStringLiteral("Liberation Serif"), QStringLiteral("Open Sans"), QStringLiteral("Noto Sans CJK JP")};
    case DialogueLanguage::japanese:
        return {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Serif CJK JP")};
    case DialogueLanguage::korean:
        return {QStringLiteral("Noto Sans CJK KR"), QStringLiteral("Noto Serif CJK KR")};
    }
    return {};
}

// Scenery: a sky or ground gradient, shapes of every colour, some thin detail.
void paintScene(QPainter &painter, Dice &dice, const QSize &size, bool dark)
{
    const int low = dark ? 0 : 40;
    const int high = dark ? 90 : 240;
    QLinearGradient gradient(0, 0, dice.between(0, size.width() / 3), size.height());
    gradient.setColorAt(0.0, randomColor(dice, low, high));
    gradient.setColorAt(1.0, randomColor(dice, low, high));
    painter.fillRect(QRect(QPoint(0, 0), size), gradient);
    const int shapes = dice.between(25, 60);
    for (int i = 0; i < shapes; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(randomColor(dice, dark ? 0 : 20, dark ? 140 : 255));
        const int w = dice.between(size.width() / 40, size.width() / 5);
        const int h = dice.between(size.height() / 30, size.height() / 3);
        const int x = dice.between(-w / 2, size.width());
        const int y = dice.between(-h / 2, size.height());
        switch (dice.between(0, 2)) {
        case 0:
            painter.drawRect(x, y, w, h);
            break;
        case 1:
            painter.drawEllipse(x, y, w, h);
            break;
        default: {
            QPolygonF polygon;
            for (int corner = 0; corner < 3 + dice.between(0, 3); ++corner) {
                polygon << QPointF(x + dice.between(0, w), y + dice.between(0, h));
            }
            painter.drawPolygon(polygon);
        }
        }
    }
    // Grass, branches, rigging: thin lines.
    const int strokes = dice.between(20, 80);
    for (int i = 0; i < strokes; ++i) {
        painter.setPen(QPen(randomColor(dice, dark ? 0 : 20, dark ? 160 : 255), dice.between(1, 3)));
        const int x = dice.between(0, size.width());
        const int y = dice.between(0, size.height());
        painter.drawLine(x, y, x + dice.between(-80, 80), y + dice.between(-80, 80));
    }
}

QPolygonF markerShape(int shape, QPointF origin, double size)
{
    const double s = size;
    QPolygonF polygon;
    switch (shape) {
    case 0: // triangle pointing down
        polygon << origin << origin + QPointF(s, 0) << origin + QPointF(s / 2, s * 0.8);
        break;
    case 1: // arrow pointing down
        polygon << origin + QPointF(s * 0.3, 0) << origin + QPointF(s * 0.7, 0) << origin + QPointF(s * 0.7, s * 0.5)
                << origin + QPointF(s, s * 0.5) << origin + QPointF(s / 2, s) << origin + QPointF(0, s * 0.5)
                << origin + QPointF(s * 0.3, s * 0.5);
        break;
    case 2: // triangle pointing right
        polygon << origin << origin + QPointF(s * 0.85, s / 2) << origin + QPointF(0, s);
        break;
    default: // arrow pointing right
        polygon << origin + QPointF(0, s * 0.3) << origin + QPointF(s * 0.5, s * 0.3) << origin + QPointF(s * 0.5, 0)
                << origin + QPointF(s, s / 2) << origin + QPointF(s * 0.5, s) << origin + QPointF(s * 0.5, s * 0.7)
                << origin + QPointF(0, s * 0.7);
    }
    return polygon;
}

} // namespace

QString dialogueLanguageName(DialogueLanguage language)
{
    switch (language) {
    case DialogueLanguage::english:
        return QStringLiteral("English");
    case DialogueLanguage::japanese:
        return QStringLiteral("Japanese");
    case DialogueLanguage::korean:
        return QStringLiteral("Korean");
    }
    return {};
}

QStringList gameDialogueFontFamilies()
{
    QStringList families;
    for (DialogueLanguage language :
        {DialogueLanguage::english, DialogueLanguage::japanese, DialogueLanguage::korean}) {
        for (const QString &family : familiesFor(language)) {
            if (!families.contains(family)) {
                families.append(family);
            }
        }
    }
    return families;
}

GameDialogueFrame generateGameDialogueFrame(DialogueLanguage language, std::uint32_t seed, double scale)
{
    Dice dice(seed * 2654435761U + static_cast<std::uint32_t>(language) * 97U + 1U);
    GameDialogueFrame result;
    result.language = language;

    const std::array<QSize, 4> sizes{QSize(1280, 720), QSize(1600, 900), QSize(1920, 1080), QSize(1366, 768)};
    const QSize size = dice.pick(sizes);
    const double unit = size.height() / 1080.0;

    // The box's look.
    enum class Kind { light, dark, translucent };
    const int kindRoll = dice.between(0, 2);
    const Kind kind = kindRoll == 0 ? Kind::light : (kindRoll == 1 ? Kind::dark : Kind::translucent);
    QColor boxColor;
    QColor textColor;
    switch (kind) {
    case Kind::light:
        boxColor = QColor(dice.between(200, 250), dice.between(195, 245), dice.between(170, 240));
        textColor = randomColor(dice, 10, 70);
        break;
    case Kind::dark:
    case Kind::translucent:
        boxColor = QColor(dice.between(5, 60), dice.between(5, 60), dice.between(10, 100));
        textColor = dice.chance(0.75) ? QColor(dice.between(225, 255), dice.between(225, 255), dice.between(215, 255))
                                      : QColor(255, dice.between(220, 240), dice.between(120, 180));
        break;
    }
    const double alpha = kind == Kind::translucent ? dice.real(0.8, 0.9) : 1.0;
    const bool darkScene = kind != Kind::light && dice.chance(0.5);
    const int radius = dice.chance(0.3) ? 0 : dice.between(4, 26);
    const int borderStyle = dice.between(0, 2); // none, outer line, inset line
    const int borderWidth = dice.between(2, 4);
    const QColor borderColor
        = dice.chance(0.5) ? QColor(dice.between(180, 230), dice.between(150, 200), 60) : randomColor(dice, 160, 255);
    const bool shadow = kind != Kind::light && dice.chance(0.35);

    // The text.
    const QStringList families = familiesFor(language);
    QFont font(dice.pick(families));
    font.setBold(dice.chance(0.25));
    int pixelSize = dice.between(16, 40);
    const int lineCount = dice.between(1, 3);
    QList<int> chosen;
    while (chosen.size() < lineCount) {
        const int index = dice.between(0, 39);
        if (!chosen.contains(index)) {
            chosen.append(index);
        }
    }
    for (int index : chosen) {
        const char *line = language == DialogueLanguage::english
            ? englishLines[static_cast<std::size_t>(index)]
            : (language == DialogueLanguage::japanese ? japaneseLines[static_cast<std::size_t>(index)]
                                                      : koreanLines[static_cast<std::size_t>(index)]);
        result.lines.append(QString::fromUtf8(line));
    }

    const bool hasMarker = dice.chance(0.8);
    const int markerShapeIndex = dice.between(0, 4); // 4: chevron
    const bool markerCentred = dice.chance(0.2);
    const double spacingFactor = dice.real(1.3, 1.7);
    const double widthShare = dice.real(0.5, 0.9);
    const double paddingXFactor = dice.real(0.6, 1.5);
    const double paddingYFactor = dice.real(0.5, 1.1);

    // Lay out; a text too wide for the frame gets a smaller size.
    double textWidth = 0;
    double lineSpacing = 0;
    double paddingX = 0;
    double paddingY = 0;
    double markerSize = 0;
    QSize boxSize;
    for (;; --pixelSize) {
        font.setPixelSize(pixelSize);
        const QFontMetricsF metrics(font);
        textWidth = 0;
        for (const QString &line : std::as_const(result.lines)) {
            textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
        }
        lineSpacing = pixelSize * spacingFactor;
        paddingX = std::max(14.0, pixelSize * paddingXFactor) + borderWidth;
        paddingY = std::max(10.0, pixelSize * paddingYFactor) + borderWidth;
        markerSize = std::max(10.0, pixelSize * 0.6);
        const double needed = textWidth + 2 * paddingX + (hasMarker && !markerCentred ? markerSize + 20 : 0);
        const double width = std::max(needed, size.width() * widthShare);
        const double height = 2 * paddingY + lineCount * lineSpacing + (hasMarker ? markerSize * 0.6 : 0);
        boxSize = QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
        if (boxSize.width() <= size.width() * 0.95 || pixelSize <= 12) {
            break;
        }
    }
    const int boxX = std::clamp(
        (size.width() - boxSize.width()) / 2 + dice.between(-60, 60), 4, size.width() - boxSize.width() - 4);
    const int boxY
        = size.height() - boxSize.height() - dice.between(static_cast<int>(10 * unit), static_cast<int>(90 * unit));
    const QRect box(QPoint(boxX, boxY), boxSize);
    result.box = box;

    if (!(scale > 0.0)) {
        scale = 1.0;
    }
    const QSize frameSize(
        static_cast<int>(std::lround(size.width() * scale)), static_cast<int>(std::lround(size.height() * scale)));
    QImage frame(frameSize, QImage::Format_RGB32);
    QPainter painter(&frame);
    if (scale != 1.0) {
        painter.scale(scale, scale);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintScene(painter, dice, size, darkScene);

    // Scenery whose colour comes near the box's: the hard case for telling box from scene.
    const int nearShapes = dice.between(0, 5);
    for (int i = 0; i < nearShapes; ++i) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(colorNear(dice, boxColor, dice.real(35.0, 80.0)));
        const int w = dice.between(box.width() / 8, box.width() / 2);
        const int h = dice.between(box.height() / 3, box.height() * 2);
        const int x = dice.between(box.left() - w, box.right());
        const int y = dice.between(box.top() - h - 20, box.bottom() - h / 2);
        if (dice.chance(0.5)) {
            painter.drawRect(x, y, w, h);
        } else {
            painter.drawEllipse(x, y, w, h);
        }
    }

    // The box.
    QColor fill = boxColor;
    fill.setAlphaF(alpha);
    QPainterPath boxPath;
    boxPath.addRoundedRect(QRectF(box), radius, radius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(boxPath);
    if (borderStyle == 1) {
        painter.setPen(QPen(borderColor, borderWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(boxPath);
    } else if (borderStyle == 2) {
        const double inset = borderWidth + dice.between(3, 7);
        QPainterPath inner;
        inner.addRoundedRect(QRectF(box).adjusted(inset, inset, -inset, -inset), std::max(0.0, radius - inset / 2),
            std::max(0.0, radius - inset / 2));
        painter.setPen(QPen(borderColor, std::max(1, borderWidth - 1)));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(inner);
    }

    // The dialogue text.
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const double firstBaseline = box.top() + paddingY + (lineSpacing - metrics.height()) / 2 + metrics.ascent();
    for (int i = 0; i < lineCount; ++i) {
        const QPointF origin(box.left() + paddingX, firstBaseline + i * lineSpacing);
        if (shadow) {
            painter.setPen(QColor(0, 0, 0));
            painter.drawText(origin + QPointF(2, 2), result.lines[i]);
        }
        painter.setPen(textColor);
        painter.drawText(origin, result.lines[i]);
    }

    // The continue marker.
    QString markerName = QStringLiteral("no marker");
    if (hasMarker) {
        const QColor markerColor = dice.chance(0.5) ? textColor : borderColor;
        const double inset = dice.between(8, 22) + borderWidth;
        const QPointF origin = markerCentred
            ? QPointF(box.center().x() - markerSize / 2, box.bottom() - inset - markerSize)
            : QPointF(box.right() - inset - markerSize, box.bottom() - inset - markerSize);
        if (markerShapeIndex == 4) {
            painter.setPen(
                QPen(markerColor, std::max(2.0, markerSize / 5), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(
                QPolygonF{origin, origin + QPointF(markerSize / 2, markerSize / 2), origin + QPointF(markerSize, 0)});
            painter.drawPolyline(QPolygonF{origin + QPointF(0, markerSize / 2.5),
                origin + QPointF(markerSize / 2, markerSize / 2 + markerSize / 2.5),
                origin + QPointF(markerSize, markerSize / 2.5)});
            markerName = QStringLiteral("chevron");
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(markerColor);
            painter.drawPolygon(markerShape(markerShapeIndex, origin, markerSize));
            markerName = markerShapeIndex % 2 == 0 ? QStringLiteral("triangle") : QStringLiteral("arrow");
        }
        markerName += markerCentred ? QStringLiteral(" centre") : QStringLiteral(" corner");
    }

    // The speaker's name tag.
    QString tagName = QStringLiteral("no tag");
    QRectF tagArea;
    const int tagPlacement = dice.between(0, 3); // none, above, on, overlapping
    if (tagPlacement > 0) {
        const char *name = language == DialogueLanguage::english
            ? dice.pick(englishNames)
            : (language == DialogueLanguage::japanese ? dice.pick(japaneseNames) : dice.pick(koreanNames));
        QFont tagFont = font;
        tagFont.setPixelSize(std::max(14, static_cast<int>(pixelSize * dice.real(0.8, 1.0))));
        tagFont.setBold(dice.chance(0.5));
        const QFontMetricsF tagMetrics(tagFont);
        const QString tagText = QString::fromUtf8(name);
        const double tagHeight = tagFont.pixelSize() * dice.real(1.5, 1.9);
        const double tagWidth = tagMetrics.horizontalAdvance(tagText) + tagFont.pixelSize() * 1.4;
        double tagTop = 0;
        switch (tagPlacement) {
        case 1:
            tagTop = box.top() - tagHeight - dice.between(4, 16);
            tagName = QStringLiteral("tag above");
            break;
        case 2:
            tagTop = box.top() - tagHeight;
            tagName = QStringLiteral("tag on edge");
            break;
        default:
            tagTop = box.top() - tagHeight * dice.real(0.4, 0.6);
            tagName = QStringLiteral("tag overlapping");
        }
        const QRectF tagRect(box.left() + dice.between(0, 60), tagTop, tagWidth, tagHeight);
        tagArea = tagRect;
        const int tagColorRoll = dice.between(0, 2);
        QColor tagColor = tagColorRoll == 0
            ? boxColor
            : (tagColorRoll == 1 ? colorNear(dice, boxColor, dice.real(30.0, 70.0)) : randomColor(dice, 60, 200));
        tagColor.setAlphaF(alpha);
        painter.setPen(borderStyle == 1 ? QPen(borderColor, borderWidth) : Qt::NoPen);
        painter.setBrush(tagColor);
        painter.drawRoundedRect(tagRect, std::min(radius, 10), std::min(radius, 10));
        painter.setFont(tagFont);
        painter.setPen(dice.chance(0.5) ? textColor : QColor(255, 220, 120));
        painter.drawText(tagRect, Qt::AlignCenter, tagText);
        tagName += tagColorRoll == 0 ? QStringLiteral(" (box colour)")
                                     : (tagColorRoll == 1 ? QStringLiteral(" (near colour)") : QString());
    }
    painter.end();
    result.frame = frame;

    // The player's rough search region and eyedropper click.
    const int left = std::max(0, box.left() - static_cast<int>(size.width() * dice.real(0.01, 0.12)));
    const int right = std::min(size.width(), box.right() + 1 + static_cast<int>(size.width() * dice.real(0.01, 0.12)));
    const int top = std::max(0, box.top() - static_cast<int>(dice.between(10, 140) * unit));
    const int bottom = std::min(size.height(), box.bottom() + 1 + static_cast<int>(dice.between(4, 60) * unit));
    result.searchRegion = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    const int clickInset = std::max({radius, borderWidth + 8, 10});
    const int clickLeft = std::max(box.center().x(), static_cast<int>(tagArea.right()) + 16);
    const int clickX
        = dice.between(clickLeft, std::max(clickLeft, box.right() - clickInset - static_cast<int>(markerSize) - 24));
    const int gapTop = box.top() + borderWidth + 3;
    const int gapBottom = std::max(gapTop, static_cast<int>(box.top() + paddingY) - 3);
    result.eyedropperPixel = QPoint(clickX, dice.between(gapTop, gapBottom));
    if (scale != 1.0) {
        // The pixels a rectangle of the unscaled scene covers, and the pixel under the
        // centre of the clicked one.
        const QRect bounds(QPoint(0, 0), frameSize);
        const auto covered = [scale, &bounds](const QRect &rect) {
            const int left = static_cast<int>(std::floor(rect.left() * scale));
            const int top = static_cast<int>(std::floor(rect.top() * scale));
            const int right = static_cast<int>(std::ceil((rect.left() + rect.width()) * scale));
            const int bottom = static_cast<int>(std::ceil((rect.top() + rect.height()) * scale));
            return QRect(left, top, right - left, bottom - top).intersected(bounds);
        };
        result.box = covered(box);
        result.searchRegion = covered(result.searchRegion);
        const QPoint click(static_cast<int>(std::floor((result.eyedropperPixel.x() + 0.5) * scale)),
            static_cast<int>(std::floor((result.eyedropperPixel.y() + 0.5) * scale)));
        result.eyedropperPixel
            = QPoint(std::clamp(click.x(), 0, frameSize.width() - 1), std::clamp(click.y(), 0, frameSize.height() - 1));
    }

    result.description
        = QStringLiteral("%1 %2x%3, %4 box%5%6, %7 %8px%9, %10 line(s), %11, %12")
              .arg(dialogueLanguageName(language))
              .arg(frameSize.width())
              .arg(frameSize.height())
              .arg(kind == Kind::light ? QStringLiteral("light")
                                       : (kind == Kind::dark ? QStringLiteral("dark") : QStringLiteral("translucent")))
              .arg(radius > 0 ? QStringLiteral(" rounded") : QString())
              .arg(borderStyle == 1 ? QStringLiteral(" bordered")
                                    : (borderStyle == 2 ? QStringLiteral(" inset border") : QString()))
              .arg(font.family())
              .arg(pixelSize * scale)
              .arg(font.bold() ? QStringLiteral(" bold") : QString())
              .arg(lineCount)
              .arg(tagName, markerName);
    return result;
}

} // namespace veyra::test
