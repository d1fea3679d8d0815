#include "capture/recognition/HangulModelExtension.h"

#include <QList>
#include <QSet>
#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace veyra {

namespace {

// The 2,350 Hangul syllables of KS X 1001, in code point order.
const char *const commonSyllables
    = "가각간갇갈갉갊감갑값갓갔강갖갗같갚갛개객갠갤갬갭갯갰갱갸갹갼걀걋걍걔걘걜거걱건걷걸걺검겁것겄겅겆겉겊"
      "겋게겐겔겜겝겟겠겡겨격겪견겯결겸겹겻겼경곁계곈곌곕곗고곡곤곧골곪곬곯곰곱곳공곶과곽관괄괆괌괍괏광괘괜"
      "괠괩괬괭괴괵괸괼굄굅굇굉교굔굘굡굣구국군굳굴굵굶굻굼굽굿궁궂궈궉권궐궜궝궤궷귀귁귄귈귐귑귓규균귤그극"
      "근귿글긁금급긋긍긔기긱긴긷길긺김깁깃깅깆깊까깍깎깐깔깖깜깝깟깠깡깥깨깩깬깰깸깹깻깼깽꺄꺅꺌꺼꺽꺾껀껄"
      "껌껍껏껐껑께껙껜껨껫껭껴껸껼꼇꼈꼍꼐꼬꼭꼰꼲꼴꼼꼽꼿꽁꽂꽃꽈꽉꽐꽜꽝꽤꽥꽹꾀꾄꾈꾐꾑꾕꾜꾸꾹꾼꿀꿇꿈"
      "꿉꿋꿍꿎꿔꿜꿨꿩꿰꿱꿴꿸뀀뀁뀄뀌뀐뀔뀜뀝뀨끄끅끈끊끌끎끓끔끕끗끙끝끼끽낀낄낌낍낏낑나낙낚난낟날낡낢남"
      "납낫났낭낮낯낱낳내낵낸낼냄냅냇냈냉냐냑냔냘냠냥너넉넋넌널넒넓넘넙넛넜넝넣네넥넨넬넴넵넷넸넹녀녁년녈념"
      "녑녔녕녘녜녠노녹논놀놂놈놉놋농높놓놔놘놜놨뇌뇐뇔뇜뇝뇟뇨뇩뇬뇰뇹뇻뇽누눅눈눋눌눔눕눗눙눠눴눼뉘뉜뉠뉨"
      "뉩뉴뉵뉼늄늅늉느늑는늘늙늚늠늡늣능늦늪늬늰늴니닉닌닐닒님닙닛닝닢다닥닦단닫달닭닮닯닳담답닷닸당닺닻닿"
      "대댁댄댈댐댑댓댔댕댜더덕덖던덛덜덞덟덤덥덧덩덫덮데덱덴델뎀뎁뎃뎄뎅뎌뎐뎔뎠뎡뎨뎬도독돈돋돌돎돐돔돕돗"
      "동돛돝돠돤돨돼됐되된될됨됩됫됴두둑둔둘둠둡둣둥둬뒀뒈뒝뒤뒨뒬뒵뒷뒹듀듄듈듐듕드득든듣들듦듬듭듯등듸디"
      "딕딘딛딜딤딥딧딨딩딪따딱딴딸땀땁땃땄땅땋때땍땐땔땜땝땟땠땡떠떡떤떨떪떫떰떱떳떴떵떻떼떽뗀뗄뗌뗍뗏뗐뗑"
      "뗘뗬또똑똔똘똥똬똴뙈뙤뙨뚜뚝뚠뚤뚫뚬뚱뛔뛰뛴뛸뜀뜁뜅뜨뜩뜬뜯뜰뜸뜹뜻띄띈띌띔띕띠띤띨띰띱띳띵라락란랄"
      "람랍랏랐랑랒랖랗래랙랜랠램랩랫랬랭랴략랸럇량러럭런럴럼럽럿렀렁렇레렉렌렐렘렙렛렝려력련렬렴렵렷렸령례"
      "롄롑롓로록론롤롬롭롯롱롸롼뢍뢨뢰뢴뢸룀룁룃룅료룐룔룝룟룡루룩룬룰룸룹룻룽뤄뤘뤠뤼뤽륀륄륌륏륑류륙륜률"
      "륨륩륫륭르륵른를름릅릇릉릊릍릎리릭린릴림립릿링마막만많맏말맑맒맘맙맛망맞맡맣매맥맨맬맴맵맷맸맹맺먀먁"
      "먈먕머먹먼멀멂멈멉멋멍멎멓메멕멘멜멤멥멧멨멩며멱면멸몃몄명몇몌모목몫몬몰몲몸몹못몽뫄뫈뫘뫙뫼묀묄묍묏"
      "묑묘묜묠묩묫무묵묶문묻물묽묾뭄뭅뭇뭉뭍뭏뭐뭔뭘뭡뭣뭬뮈뮌뮐뮤뮨뮬뮴뮷므믄믈믐믓미믹민믿밀밂밈밉밋밌밍"
      "및밑바박밖밗반받발밝밞밟밤밥밧방밭배백밴밸뱀뱁뱃뱄뱅뱉뱌뱍뱐뱝버벅번벋벌벎범법벗벙벚베벡벤벧벨벰벱벳"
      "벴벵벼벽변별볍볏볐병볕볘볜보복볶본볼봄봅봇봉봐봔봤봬뵀뵈뵉뵌뵐뵘뵙뵤뵨부북분붇불붉붊붐붑붓붕붙붚붜붤"
      "붰붸뷔뷕뷘뷜뷩뷰뷴뷸븀븃븅브븍븐블븜븝븟비빅빈빌빎빔빕빗빙빚빛빠빡빤빨빪빰빱빳빴빵빻빼빽뺀뺄뺌뺍뺏뺐"
      "뺑뺘뺙뺨뻐뻑뻔뻗뻘뻠뻣뻤뻥뻬뼁뼈뼉뼘뼙뼛뼜뼝뽀뽁뽄뽈뽐뽑뽕뾔뾰뿅뿌뿍뿐뿔뿜뿟뿡쀼쁑쁘쁜쁠쁨쁩삐삑삔삘"
      "삠삡삣삥사삭삯산삳살삵삶삼삽삿샀상샅새색샌샐샘샙샛샜생샤샥샨샬샴샵샷샹섀섄섈섐섕서석섞섟선섣설섦섧섬"
      "섭섯섰성섶세섹센셀셈셉셋셌셍셔셕션셜셤셥셧셨셩셰셴셸솅소속솎손솔솖솜솝솟송솥솨솩솬솰솽쇄쇈쇌쇔쇗쇘쇠"
      "쇤쇨쇰쇱쇳쇼쇽숀숄숌숍숏숑수숙순숟술숨숩숫숭숯숱숲숴쉈쉐쉑쉔쉘쉠쉥쉬쉭쉰쉴쉼쉽쉿슁슈슉슐슘슛슝스슥슨"
      "슬슭슴습슷승시식신싣실싫심십싯싱싶싸싹싻싼쌀쌈쌉쌌쌍쌓쌔쌕쌘쌜쌤쌥쌨쌩썅써썩썬썰썲썸썹썼썽쎄쎈쎌쏀쏘"
      "쏙쏜쏟쏠쏢쏨쏩쏭쏴쏵쏸쐈쐐쐤쐬쐰쐴쐼쐽쑈쑤쑥쑨쑬쑴쑵쑹쒀쒔쒜쒸쒼쓩쓰쓱쓴쓸쓺쓿씀씁씌씐씔씜씨씩씬씰씸"
      "씹씻씽아악안앉않알앍앎앓암압앗았앙앝앞애액앤앨앰앱앳앴앵야약얀얄얇얌얍얏양얕얗얘얜얠얩어억언얹얻얼얽"
      "얾엄업없엇었엉엊엌엎에엑엔엘엠엡엣엥여역엮연열엶엷염엽엾엿였영옅옆옇예옌옐옘옙옛옜오옥온올옭옮옰옳옴"
      "옵옷옹옻와왁완왈왐왑왓왔왕왜왝왠왬왯왱외왹왼욀욈욉욋욍요욕욘욜욤욥욧용우욱운울욹욺움웁웃웅워웍원월웜"
      "웝웠웡웨웩웬웰웸웹웽위윅윈윌윔윕윗윙유육윤율윰윱윳융윷으윽은을읊음읍읏응읒읓읔읕읖읗의읜읠읨읫이익인"
      "일읽읾잃임입잇있잉잊잎자작잔잖잗잘잚잠잡잣잤장잦재잭잰잴잼잽잿쟀쟁쟈쟉쟌쟎쟐쟘쟝쟤쟨쟬저적전절젊점접"
      "젓정젖제젝젠젤젬젭젯젱져젼졀졈졉졌졍졔조족존졸졺좀좁좃종좆좇좋좌좍좔좝좟좡좨좼좽죄죈죌죔죕죗죙죠죡죤"
      "죵주죽준줄줅줆줌줍줏중줘줬줴쥐쥑쥔쥘쥠쥡쥣쥬쥰쥴쥼즈즉즌즐즘즙즛증지직진짇질짊짐집짓징짖짙짚짜짝짠짢"
      "짤짧짬짭짯짰짱째짹짼쨀쨈쨉쨋쨌쨍쨔쨘쨩쩌쩍쩐쩔쩜쩝쩟쩠쩡쩨쩽쪄쪘쪼쪽쫀쫄쫌쫍쫏쫑쫓쫘쫙쫠쫬쫴쬈쬐쬔쬘"
      "쬠쬡쭁쭈쭉쭌쭐쭘쭙쭝쭤쭸쭹쮜쮸쯔쯤쯧쯩찌찍찐찔찜찝찡찢찧차착찬찮찰참찹찻찼창찾채책챈챌챔챕챗챘챙챠챤"
      "챦챨챰챵처척천철첨첩첫첬청체첵첸첼쳄쳅쳇쳉쳐쳔쳤쳬쳰촁초촉촌촐촘촙촛총촤촨촬촹최쵠쵤쵬쵭쵯쵱쵸춈추축"
      "춘출춤춥춧충춰췄췌췐취췬췰췸췹췻췽츄츈츌츔츙츠측츤츨츰츱츳층치칙친칟칠칡침칩칫칭카칵칸칼캄캅캇캉캐캑"
      "캔캘캠캡캣캤캥캬캭컁커컥컨컫컬컴컵컷컸컹케켁켄켈켐켑켓켕켜켠켤켬켭켯켰켱켸코콕콘콜콤콥콧콩콰콱콴콸쾀"
      "쾅쾌쾡쾨쾰쿄쿠쿡쿤쿨쿰쿱쿳쿵쿼퀀퀄퀑퀘퀭퀴퀵퀸퀼큄큅큇큉큐큔큘큠크큭큰클큼큽킁키킥킨킬킴킵킷킹타탁탄"
      "탈탉탐탑탓탔탕태택탠탤탬탭탯탰탱탸턍터턱턴털턺텀텁텃텄텅테텍텐텔템텝텟텡텨텬텼톄톈토톡톤톨톰톱톳통톺"
      "톼퇀퇘퇴퇸툇툉툐투툭툰툴툼툽툿퉁퉈퉜퉤튀튁튄튈튐튑튕튜튠튤튬튱트특튼튿틀틂틈틉틋틔틘틜틤틥티틱틴틸팀"
      "팁팃팅파팍팎판팔팖팜팝팟팠팡팥패팩팬팰팸팹팻팼팽퍄퍅퍼퍽펀펄펌펍펏펐펑페펙펜펠펨펩펫펭펴편펼폄폅폈평"
      "폐폘폡폣포폭폰폴폼폽폿퐁퐈퐝푀푄표푠푤푭푯푸푹푼푿풀풂품풉풋풍풔풩퓌퓐퓔퓜퓟퓨퓬퓰퓸퓻퓽프픈플픔픕픗"
      "피픽핀필핌핍핏핑하학한할핥함합핫항해핵핸핼햄햅햇했행햐향허헉헌헐헒험헙헛헝헤헥헨헬헴헵헷헹혀혁현혈혐"
      "협혓혔형혜혠혤혭호혹혼홀홅홈홉홋홍홑화확환활홧황홰홱홴횃횅회획횐횔횝횟횡효횬횰횹횻후훅훈훌훑훔훗훙훠"
      "훤훨훰훵훼훽휀휄휑휘휙휜휠휨휩휫휭휴휵휸휼흄흇흉흐흑흔흖흗흘흙흠흡흣흥흩희흰흴흼흽힁히힉힌힐힘힙힛힝";

// Components of a .traineddata file: a count, one 64-bit offset per component (-1 when
// absent), then the components one after the other. All numbers little-endian.
constexpr int lstmCharacterSetEntry = 21;
constexpr int lstmRecoderEntry = 22;

template <typename T>
std::optional<T> readNumber(const QByteArray &bytes, qsizetype offset)
{
    if (offset < 0 || offset + static_cast<qsizetype>(sizeof(T)) > bytes.size()) {
        return std::nullopt;
    }
    T value{};
    std::memcpy(&value, bytes.constData() + offset, sizeof(T));
    return value;
}

template <typename T>
void appendNumber(QByteArray &bytes, T value)
{
    bytes.append(reinterpret_cast<const char *>(&value), sizeof(T));
}

// A Hangul syllable's three letters: initial (19), vowel (21), final (28, 0 for none).
struct Letters
{
    int initial = 0;
    int vowel = 0;
    int final = 0;
};

std::optional<Letters> lettersOf(char32_t scalar)
{
    if (scalar < 0xAC00 || scalar > 0xD7A3) {
        return std::nullopt;
    }
    const int offset = static_cast<int>(scalar - 0xAC00);
    return Letters{offset / (21 * 28), (offset % (21 * 28)) / 28, offset % 28};
}

// One character's code in the recoder: a normalisation flag and its code values.
struct Code
{
    std::int8_t selfNormalized = 0;
    std::vector<std::int32_t> values;
};

} // namespace

QByteArray withCommonHangulSyllables(const QByteArray &traineddata)
{
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "traineddata is read as little-endian");
    const auto count = readNumber<std::int32_t>(traineddata, 0);
    if (!count || *count <= lstmRecoderEntry || *count > 1000) {
        return traineddata;
    }
    std::vector<std::int64_t> offsets(static_cast<std::size_t>(*count));
    for (std::int32_t i = 0; i < *count; ++i) {
        const auto offset = readNumber<std::int64_t>(traineddata, 4 + 8 * static_cast<qsizetype>(i));
        if (!offset || *offset >= traineddata.size()) {
            return traineddata;
        }
        offsets[static_cast<std::size_t>(i)] = *offset;
    }
    // Each component ends where the next present one begins.
    std::vector<QByteArray> components(offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (offsets[i] < 0) {
            continue;
        }
        std::int64_t end = traineddata.size();
        for (std::int64_t other : offsets) {
            if (other > offsets[i]) {
                end = std::min(end, other);
            }
        }
        components[i] = traineddata.mid(offsets[i], end - offsets[i]);
    }
    const QByteArray &characterSet = components[lstmCharacterSetEntry];
    const QByteArray &recoder = components[lstmRecoderEntry];
    if (characterSet.isEmpty() || recoder.isEmpty()) {
        return traineddata;
    }

    // The character set: its size, then one line per character.
    QList<QByteArray> lines = characterSet.split('\n');
    bool numeric = false;
    const int size = lines.isEmpty() ? 0 : lines.front().trimmed().toInt(&numeric);
    if (!numeric || size < 1 || lines.size() < size + 1) {
        return traineddata;
    }
    lines = lines.mid(1, size);

    // The recoder: the number of codes, then each character's code in character order.
    std::vector<Code> codes;
    qsizetype at = 0;
    const auto codeCount = readNumber<std::uint32_t>(recoder, at);
    at += 4;
    if (!codeCount || static_cast<int>(*codeCount) != size) {
        return traineddata;
    }
    for (std::uint32_t i = 0; i < *codeCount; ++i) {
        const auto normalized = readNumber<std::int8_t>(recoder, at);
        const auto length = readNumber<std::int32_t>(recoder, at + 1);
        at += 5;
        if (!normalized || !length || *length < 0 || *length > 9) {
            return traineddata;
        }
        Code code{*normalized, {}};
        for (std::int32_t k = 0; k < *length; ++k) {
            const auto value = readNumber<std::int32_t>(recoder, at);
            at += 4;
            if (!value) {
                return traineddata;
            }
            code.values.push_back(*value);
        }
        codes.push_back(std::move(code));
    }
    if (at != recoder.size()) {
        return traineddata;
    }

    // Which code each letter has, learnt from the syllables the model knows; the line of
    // the first of them serves as the pattern for the new ones.
    constexpr int unknown = -1;
    std::array<int, 19> initials{};
    std::array<int, 21> vowels{};
    std::array<int, 28> finals{};
    initials.fill(unknown);
    vowels.fill(unknown);
    finals.fill(unknown);
    QSet<char32_t> known;
    QList<QByteArray> pattern;
    for (int id = 0; id < size; ++id) {
        const QByteArray character = lines[id].left(lines[id].indexOf(' '));
        const QList<uint> scalars = QString::fromUtf8(character).toUcs4();
        if (scalars.size() != 1) {
            continue;
        }
        const auto letters = lettersOf(scalars.front());
        const std::vector<std::int32_t> &values = codes[static_cast<std::size_t>(id)].values;
        if (!letters || values.size() != 3) {
            continue;
        }
        known.insert(scalars.front());
        initials[static_cast<std::size_t>(letters->initial)] = values[0];
        vowels[static_cast<std::size_t>(letters->vowel)] = values[1];
        finals[static_cast<std::size_t>(letters->final)] = values[2];
        if (pattern.isEmpty()) {
            // character, properties, metrics, script, other case, direction, mirror,
            // normalised form and a comment.
            pattern = lines[id].left(lines[id].indexOf('\t')).split(' ');
        }
    }
    if (pattern.size() != 8) {
        return traineddata;
    }

    int added = 0;
    for (char32_t scalar : QString::fromUtf8(commonSyllables).toUcs4()) {
        const auto letters = lettersOf(scalar);
        if (!letters || known.contains(scalar)) {
            continue;
        }
        const int initial = initials[static_cast<std::size_t>(letters->initial)];
        const int vowel = vowels[static_cast<std::size_t>(letters->vowel)];
        const int final = finals[static_cast<std::size_t>(letters->final)];
        if (initial == unknown || vowel == unknown || final == unknown) {
            continue;
        }
        const QByteArray character = QString::fromUcs4(&scalar, 1).toUtf8();
        const QByteArray id = QByteArray::number(size + added);
        QList<QByteArray> fields = pattern;
        fields[0] = character;
        // A syllable is its own other case and its own mirror.
        fields[4] = id;
        fields[6] = id;
        fields[7] = character;
        lines.append(fields.join(' ') + "\t# " + character + " [" + QByteArray::number(scalar, 16) + " ]x");
        codes.push_back(Code{1, {initial, vowel, final}});
        ++added;
    }
    if (added == 0) {
        return traineddata;
    }

    QByteArray newCharacterSet = QByteArray::number(size + added) + '\n' + lines.join('\n') + '\n';
    QByteArray newRecoder;
    appendNumber<std::uint32_t>(newRecoder, static_cast<std::uint32_t>(codes.size()));
    for (const Code &code : codes) {
        appendNumber<std::int8_t>(newRecoder, code.selfNormalized);
        appendNumber<std::int32_t>(newRecoder, static_cast<std::int32_t>(code.values.size()));
        for (std::int32_t value : code.values) {
            appendNumber<std::int32_t>(newRecoder, value);
        }
    }
    components[lstmCharacterSetEntry] = std::move(newCharacterSet);
    components[lstmRecoderEntry] = std::move(newRecoder);

    QByteArray result;
    appendNumber<std::int32_t>(result, *count);
    std::int64_t position = 4 + 8 * static_cast<std::int64_t>(*count);
    for (std::size_t i = 0; i < components.size(); ++i) {
        const bool present = offsets[i] >= 0;
        appendNumber<std::int64_t>(result, present ? position : -1);
        position += present ? components[i].size() : 0;
    }
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (offsets[i] >= 0) {
            result.append(components[i]);
        }
    }
    return result;
}

} // namespace veyra
