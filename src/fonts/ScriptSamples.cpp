#include "fonts/ScriptSamples.h"

#include <algorithm>

namespace fonts {
namespace {

// Where a well-known short text of the script is sure, it is that text; otherwise the script's
// letters in order, which show every letter shape a font of the script is judged by.
constexpr ScriptSample kSamples[] = {
    // Arabic: the letters in abjad order, as the mnemonic words.
    {u"Arab", u"أبجد هوز حطي كلمن سعفص قرشت ثخذ ضظغ"},
    // Armenian: the alphabet, capitals then small letters.
    {u"Armn", u"ԱԲԳԴԵԶԷԸԹԺԻԼԽԾԿՀՁՂՃՄՅՆՇՈՉՊՋՌՍՎՏՐՑՒՓՔՕՖ աբգդեզէըթժիլխծկհձղճմյնշոչպջռսվտրցւփքօֆ"},
    // Bengali: the consonants in order.
    {u"Beng", u"কখগঘঙচছজঝঞটঠডঢণতথদধনপফবভমযরলশষসহ"},
    // Cyrillic: a pangram.
    {u"Cyrl", u"Съешь же ещё этих мягких французских булок, да выпей чаю"},
    // Devanagari: the consonants in order.
    {u"Deva", u"कखगघङचछजझञटठडढणतथदधनपफबभमयरलळवशषसह"},
    // Ethiopic: the first-order syllables of the consonants in order.
    {u"Ethi", u"ሀለሐመሠረሰሸቀበቨተቸኀነኘአከኸዐዘዠየደጀገጠጨጰጸፀፈፐ"},
    // Georgian: the letters in order.
    {u"Geor", u"აბგდევზთიკლმნოპჟრსტუფქღყშჩცძწჭხჯჰ"},
    // Greek: a pangram.
    {u"Grek", u"Ξεσκεπάζω την ψυχοφθόρα βδελυγμία"},
    // Gujarati: the consonants in order.
    {u"Gujr", u"કખગઘઙચછજઝઞટઠડઢણતથદધનપફબભમયરલળવશષસહ"},
    // Gurmukhi: the consonants in order.
    {u"Guru", u"ਕਖਗਘਙਚਛਜਝਞਟਠਡਢਣਤਥਦਧਨਪਫਬਭਮਯਰਲਵਸਹ"},
    // Hangul: the well-known sample sentence of the squirrel on the wheel.
    {u"Hang", u"다람쥐 헌 쳇바퀴에 타고파"},
    // Han: one to ten, the weekdays' signs, heaven, earth, man, mountain, river: characters written
    // alike in simplified, traditional and Japanese use, so that every Han font has them.
    {u"Hani", u"一二三四五六七八九十 日月火水木金土 天地人 山川"},
    // Hebrew: the letters in order.
    {u"Hebr", u"אבגדהוזחטיכלמנסעפצקרשת"},
    // Hiragana: the iroha poem, every kana once.
    {u"Hira", u"いろはにほへと ちりぬるを わかよたれそ つねならむ うゐのおくやま けふこえて あさきゆめみし ゑひもせす"},
    // Katakana: the iroha poem in katakana.
    {u"Kana", u"イロハニホヘト チリヌルヲ ワカヨタレソ ツネナラム ウヰノオクヤマ ケフコエテ アサキユメミシ ヱヒモセス"},
    // Khmer: the consonants in order.
    {u"Khmr", u"កខគឃងចឆជឈញដឋឌឍណតថទធនបផពភមយរលវសហឡអ"},
    // Kannada: the consonants in order.
    {u"Knda", u"ಕಖಗಘಙಚಛಜಝಞಟಠಡಢಣತಥದಧನಪಫಬಭಮಯರಱಲಳವಶಷಸಹ"},
    // Lao: the consonants in order.
    {u"Laoo", u"ກຂຄງຈຊຍດຕຖທນບປຜຝພຟມຢຣລວສຫອຮ"},
    // Latin: a pangram.
    {u"Latn", u"The quick brown fox jumps over the lazy dog"},
    // Malayalam: the consonants in order.
    {u"Mlym", u"കഖഗഘങചഛജഝഞടഠഡഢണതഥദധനപഫബഭമയരറലളഴവശഷസഹ"},
    // Myanmar: the consonants in order.
    {u"Mymr", u"ကခဂဃငစဆဇဈဉညဋဌဍဎဏတထဒဓနပဖဗဘမယရလဝသဟဠ"},
    // Sinhala: the consonants in order.
    {u"Sinh", u"කඛගඝඞඟචඡජඣඤඥඦටඨඩඪණඬතථදධනඳපඵබභමඹයරලවශෂසහළෆ"},
    // Tamil: the consonants in their traditional order.
    {u"Taml", u"கஙசஞடணதநபமயரலவழளறன"},
    // Telugu: the consonants in order.
    {u"Telu", u"కఖగఘఙచఛజఝఞటఠడఢణతథదధనపఫబభమయరఱలళవశషసహ"},
    // Thai: the consonants in order.
    {u"Thai", u"กขฃคฅฆงจฉชซฌญฎฏฐฑฒณดตถทธนบปผฝพฟภมยรลวศษสหฬอฮ"},
    // Tibetan: the consonants in order.
    {u"Tibt", u"ཀཁགངཅཆཇཉཏཐདནཔཕབམཙཚཛཝཞཟའཡརལཤསཧཨ"},
};

// Whether `c` is left out of the question whether a font shows a text, as CharacterMap::covers()
// leaves it out: spaces, separators, controls and format characters.
bool isNeverAskedFor(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
        return true;
    default:
        return false;
    }
}

// The letter `c` is made of with an accent (α for ά, е for ё); 0 for a character not so made.
char32_t baseLetter(char32_t c)
{
    if (QChar::decompositionTag(c) != QChar::Canonical)
        return 0;
    const QList<uint> parts = QChar::decomposition(c).toUcs4();
    return parts.isEmpty() ? 0 : char32_t(parts.first());
}

// `text` without the characters `map` lacks (an accented letter becomes its letter where the
// font has that), its spaces kept single.
QString withCharactersOf(const platform::CharacterMap &map, const QString &text, bool *anyShown)
{
    QString kept;
    *anyShown = false;
    for (const char32_t c : text.toUcs4()) {
        if (isNeverAskedFor(c)) {
            kept += QChar::fromUcs4(c);
        } else if (map.contains(c)) {
            kept += QChar::fromUcs4(c);
            *anyShown = true;
        } else if (const char32_t base = baseLetter(c); base && map.contains(base)) {
            // A font without the accented letters (a symbol font's Greek) still reads.
            kept += QChar::fromUcs4(base);
            *anyShown = true;
        }
    }
    return kept.simplified();
}

} // namespace

std::span<const ScriptSample> scriptSamples()
{
    return kSamples;
}

QString scriptSample(const QString &code)
{
    const std::u16string_view key(reinterpret_cast<const char16_t *>(code.utf16()), size_t(code.size()));
    const auto found = std::lower_bound(std::begin(kSamples), std::end(kSamples), key,
                                        [](const ScriptSample &sample, std::u16string_view k) { return sample.code < k; });
    if (found == std::end(kSamples) || found->code != key)
        return {};
    return QString::fromUtf16(found->text.data(), qsizetype(found->text.size()));
}

QString ownScriptSample(const platform::CharacterMap &map, const QString &sample)
{
    if (map.isEmpty() || map.covers(sample))
        return sample;
    QString largest;
    const QList<platform::ScriptCount> scripts = platform::scriptCounts(map);
    for (const platform::ScriptCount &script : scripts) {
        QString text = scriptSample(script.code);
        // Japanese is written in hiragana: a font with both kana shows that sample, though its
        // katakana (with their half-width and phonetic forms) are more.
        if (script.code == QLatin1String("Kana")) {
            if (const QString hiragana = scriptSample(QStringLiteral("Hira")); map.covers(hiragana))
                text = hiragana;
        }
        if (text.isEmpty()) {
            // A font made for a script without a sample here shows letters of that script.
            if (&script == &scripts.constFirst()) {
                const QList<char32_t> letters =
                    platform::firstCharactersOfScript(map, script.code, kFirstCharactersShown);
                return QString::fromUcs4(letters.constData(), letters.size());
            }
            continue;
        }
        if (map.covers(text))
            return text;
        if (largest.isEmpty())
            largest = text;
    }
    if (!largest.isEmpty()) {
        bool anyShown = false;
        const QString kept = withCharactersOf(map, largest, &anyShown);
        if (anyShown)
            return kept;
    }
    const QList<char32_t> first = map.firstCharacters(kFirstCharactersShown);
    return QString::fromUcs4(first.constData(), first.size());
}

} // namespace fonts
