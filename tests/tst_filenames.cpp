#include "listing/casefold.h"
#include "listing/filenames.h"
#include "support/reference.h"

#include <QTest>

using namespace corvane;

class TestFileNames : public QObject
{
    Q_OBJECT
private slots:
    void noExtension_data();
    void noExtension();
    void displayName_data();
    void displayName();
    void typedText_data();
    void typedText();
    void caseRule();
    void itemOrder_data();
    void itemOrder();
    void quickPathsAgreeWithQt();
    void displayNameAgreesWithQt_data();
    void displayNameAgreesWithQt();
    void caseFoldingAgreesWithQt();
    void itemKeyAgreesWithOrder();
};

namespace {

QString text(char32_t c)
{
    return QString::fromUcs4(&c, 1);
}

} // namespace

void TestFileNames::noExtension_data()
{
    QTest::addColumn<QString>("parola");
    QTest::addColumn<QString>("expected");
    QTest::newRow("last dot only") << "report.final.doc" << "report.final";
    QTest::newRow("no dot") << "readme" << "readme";
    QTest::newRow("trailing dot") << "archive." << "archive";
    QTest::newRow("dot-file") << ".profile" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("numbered line") << " 2 report 1.5 final" << " 2 report 1";
    QTest::newRow("non-ascii") << QString::fromUtf8("crème.brûlée") << QString::fromUtf8("crème");
    QTest::newRow("path") << "Live/2019/track.mp3" << "Live/2019/track";
    QTest::newRow("dot in a folder only") << "v1.2/readme" << "v1.2/readme";
    QTest::newRow("dots in both") << "a.b/c.txt" << "a.b/c";
    QTest::newRow("dot-file in a folder") << "a.b/.profile" << "a.b/";
    QTest::newRow("numbered path") << " 3 v1.2/notes 1.5" << " 3 v1.2/notes 1";
}

void TestFileNames::noExtension()
{
    QFETCH(QString, parola);
    QFETCH(QString, expected);
    const QString result = NoExtension(parola);
    QCOMPARE(result, expected);
    QVERIFY(!result.isNull());
}

void TestFileNames::displayName_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("a b.txt") << "a b.txt";
    QTest::newRow("utf8 kept") << QByteArray("caf\xC3\xA9 \xE6\x97\xA5.txt") << QString::fromUtf8("café 日.txt");
    QTest::newRow("emoji kept") << QByteArray("\xF0\x9F\x98\x80") << QString::fromUtf8("😀");
    QTest::newRow("newline") << QByteArray("a\nb") << "a\\nb";
    QTest::newRow("cr tab") << QByteArray("a\rb\tc") << "a\\rb\\tc";
    QTest::newRow("escape") << QByteArray("\x1B[31m") << "\\x1B[31m";
    QTest::newRow("del") << QByteArray("a\x7F") << "a\\x7F";
    QTest::newRow("c1 control") << QByteArray("a\xC2\x85") << "a\\xC2\\x85";
    QTest::newRow("line separator") << QByteArray("a\xE2\x80\xA8") << "a\\xE2\\x80\\xA8";
    QTest::newRow("lone ff") << QByteArray("a\xFF") << "a\\xFF";
    QTest::newRow("latin1") << QByteArray("caf\xE9.txt") << "caf\\xE9.txt";
    QTest::newRow("truncated") << QByteArray("x\xE6\x97") << "x\\xE6\\x97";
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << "\\xC0\\xAF";
    QTest::newRow("overlong 3 byte") << QByteArray("\xE0\x80\xAF") << "\\xE0\\x80\\xAF";
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << "\\xED\\xA0\\x80";
    QTest::newRow("above max") << QByteArray("\xF4\x90\x80\x80") << "\\xF4\\x90\\x80\\x80";
    QTest::newRow("bad then good") << QByteArray("\xFF\xC3\xA9") << QString::fromUtf8("\\xFFé");
    QTest::newRow("rtl override kept") << QByteArray("a\xE2\x80\xAE") << QString::fromUtf8("a\u202E");
    // U+10080 is stored as the surrogates D800 DC80: its second half must not
    // be taken for the stray byte 0x80 that follows it.
    QTest::newRow("pair then stray byte") << QByteArray("\xF0\x90\x82\x80\x80") << QString::fromUtf8("\U00010080\\x80");
    // The backslash is the escape's own character: doubled, so a name that
    // spells an escape never reads like the name the escape stands for.
    QTest::newRow("backslash") << QByteArray("a\\b") << "a\\\\b";
    QTest::newRow("spelled byte escape") << QByteArray("dup\\xFF.txt") << "dup\\\\xFF.txt";
    QTest::newRow("spelled newline") << QByteArray("nl\\n.txt") << "nl\\\\n.txt";
    QTest::newRow("backslash before a bad byte") << QByteArray("\\\xFF") << "\\\\\\xFF";
}

void TestFileNames::displayName()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString shown = corvane::displayName(bytes);
    QCOMPARE(shown, expected);
    QVERIFY(!shown.contains(u'\n') && !shown.contains(u'\r'));
    QCOMPARE(corvane::nameBytes(shown), bytes);
    QCOMPARE(corvane::test::referenceNameBytes(shown), bytes); // the fuzz target's reference

    // The same bytes as a path: back to exactly these bytes, shown alike, and
    // valid UTF-8 decoded as usual.
    const QString path = corvane::pathFromBytes(bytes);
    QCOMPARE(corvane::pathToBytes(path), bytes);
    QCOMPARE(corvane::displayPath(path), expected);
    if (QString::fromUtf8(bytes).toUtf8() == bytes)
        QCOMPARE(path, QString::fromUtf8(bytes));
}

void TestFileNames::typedText_data()
{
    // A text typed by hand: kept on one line with its backslashes as typed;
    // read as a name, a backslash that starts no escape stands for itself.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("oneLine");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << "C:\\Music" << "C:\\Music" << QByteArray("C:\\Music");
    QTest::newRow("control shown") << "a\tb\x01" << "a\\tb\\x01" << QByteArray("a\tb\x01");
    QTest::newRow("lower-case hex") << "\\xff" << "\\xff" << QByteArray("\xFF");
    QTest::newRow("short hex") << "\\x4" << "\\x4" << QByteArray("\\x4");
    QTest::newRow("not hex") << "\\xZZ" << "\\xZZ" << QByteArray("\\xZZ");
    QTest::newRow("trailing backslash") << "end\\" << "end\\" << QByteArray("end\\");
    QTest::newRow("unknown escape") << "a\\qb" << "a\\qb" << QByteArray("a\\qb");
    QTest::newRow("utf8") << QString::fromUtf8("é\\n") << QString::fromUtf8("é\\n") << QByteArray("\xC3\xA9\n");
}

void TestFileNames::typedText()
{
    QFETCH(QString, typed);
    QFETCH(QString, oneLine);
    QFETCH(QByteArray, bytes);
    QCOMPARE(corvane::oneLineText(typed), oneLine);
    QCOMPARE(corvane::nameBytes(oneLine), bytes);
    QCOMPARE(corvane::test::referenceNameBytes(oneLine), bytes);
}

void TestFileNames::caseRule()
{
    // One rule for sorting, duplicates and hashing, independent of the locale.
    const QString pairs[][2] = {
        {"README.TXT", "readme.txt"},
        {QString::fromUtf8("ΣΊΣΥΦΟΣ"), QString::fromUtf8("σίσυφος")},
        {QString::fromUtf8("σ"), QString::fromUtf8("ς")},
        {QString::fromUtf8("\u212A"), "k"}, // Kelvin sign
        {QString::fromUtf8("𐐀"), QString::fromUtf8("𐐨")}, // Deseret, outside the BMP
    };
    for (const auto &p : pairs) {
        QVERIFY2(sameIgnoringCase(p[0], p[1]), qPrintable(p[0]));
        QCOMPARE(foldedHash(p[0]), foldedHash(p[1]));
        QVERIFY(itemCompare(p[0], p[1]) != 0); // ties broken by the exact text
    }
    QVERIFY(!sameIgnoringCase(QString::fromUtf8("Straße"), u"STRASSE"));
    QVERIFY(!sameIgnoringCase(QString::fromUtf8("ı"), u"i")); // dotless i stays apart
    // Accents sort beside their plain letters but are never duplicates of them,
    // nor is a precomposed letter of its decomposed form.
    QVERIFY(!sameIgnoringCase(QString::fromUtf8("école"), u"ecole"));
    QVERIFY(!sameIgnoringCase(QString::fromUtf8("café"), QString::fromUtf8("cafe\u0301")));
    QVERIFY(sameIgnoringCase(QString::fromUtf8("ÉCOLE"), QString::fromUtf8("école")));
    QVERIFY(itemLess(u"apple", u"Banana"));
    QVERIFY(itemLess(u"Banana", u"cherry"));
    QCOMPARE(indexOfIgnoringCase(QStringLiteral("Song.Mp3"), QStringLiteral("MP3")), 5);
    QCOMPARE(indexOfIgnoringCase(QStringLiteral("mp3"), QStringLiteral("Song.MP3")), -1);
}

void TestFileNames::itemOrder_data()
{
    // Each row lists texts in the order the list must give them; the rows of
    // the alphabetical order without digits hold in the natural order too.
    QTest::addColumn<QStringList>("ordered");
    QTest::addColumn<bool>("natural");
    auto row = [](const char *name, const char *texts, bool natural = false) {
        QTest::newRow(name) << QString::fromUtf8(texts).split(u'|') << natural;
    };
    auto natural = [&](const char *name, const char *texts) { row(name, texts, true); };
    row("e, é, f", "E|e|É|é|f");
    row("a, ä, b", "A|a|Ä|ä|b");
    row("n, ñ, o", "n|Ñ|ñ|nino|niño|nube|o");
    row("words", "Apfel|Ärger|ärgerlich|Arm|école|été|etude|Zèbre|Zug");
    row("decomposed before precomposed", "cafe|cafe\u0301|café|CAFÉS|cafés|cafeteria");
    row("stacked marks", "o|o\u0308\u0304|ö|Ö\u0304|ȫ|p");
    row("digits before letters", "007|10|1é|9|a|À|b");
    row("ties by the exact text", "ECOLE|Ecole|ecole|ÉCOLE|École|école|Ecoles");
    row("no decomposition: code point place", "lodz|strasse|strat|straße|zulu|ß|æble|Ærø|øre|łódź");
    row("dotted and dotless i", "I|i|I\u0307|İ|j|z|ı");
    row("signs that decompose", "a|å|\u212B|b|Kelvin|\u212Aelvin|z");
    row("other scripts after Latin", "ž|zebra|Zürich|ø|Ωmega|е|가|東京|\U00010428");
    row("other scripts' accents", "Ωmega|ωρα|ώρα|е|ё|ж|가|각|갸|나");
    // Paths part by part: a folder's files stand together, where its name puts them.
    row("a folder's files together", "a|a/x.txt|a/z|a b|a.txt|a0.txt|ab");
    row("deeper paths", "a/b|a/b/c|a/b/c/d|a/b c|a/bc|a!/x|A0");
    row("twins of a folder mix", "e|E/a|e/a|É/a|e/b|E/c|ea");
    row("accented folders", "école/z|ecole!|École!|\u212A/x|k/y|K!");
    // Natural order: runs of digits by their value, equal values by their length.
    natural("digits at the start", "1 a|2|02|10|010|100|a");
    natural("digits in the middle", "Track 2|track 2|Track 02|Track 9|Track 10|Track 10a|Track 100|Track10");
    natural("digits at the end", "x1.txt|x1a|x2.txt|x9|x10.txt|x10.txt.bak");
    natural("leading zeros", "a0|a00|a000|a1|a01|a001|a01b|a1b02|a01b2");
    natural("runs longer than 19 digits", "n9|n18446744073709551615|n18446744073709551616|n018446744073709551616|"
                                          "n99999999999999999999999|n100000000000000000000000");
    natural("digits beside accented letters", "e\u0301 3|é1|e2|É10|ë20|f1|x11|x12|x1\u03012|x13");
    natural("equal values told apart", "Song 7|song 7|song 07|SONG 007|song 7a");
    natural("numbers among signs", "a 2|a-1|a.3|a1|ä5|a_4|b");
    natural("paths part by part", "Disc 1/a|Disc 01/a|Disc 1/b|Disc 2/a|Disc 10/a|Disc 10.txt|Disc 10a/x");
}

void TestFileNames::itemOrder()
{
    QFETCH(QStringList, ordered);
    QFETCH(bool, natural);
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    const bool digits = std::any_of(ordered.begin(), ordered.end(), [](const QString &t) {
        return std::any_of(t.begin(), t.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    });
    for (const ItemOrder order : {ItemOrder::Alphabetical, ItemOrder::Natural}) {
        if ((order == ItemOrder::Natural) != natural && (natural || digits))
            continue;
        for (qsizetype i = 0; i < ordered.size(); ++i) {
            for (qsizetype j = 0; j < ordered.size(); ++j) {
                const int expected = sign(int(i - j));
                const QString &a = ordered.at(i), &b = ordered.at(j);
                QVERIFY2(sign(itemCompare(a, b, order)) == expected, qPrintable(a + u' ' + b));
                QVERIFY2(!test::caseRuleDisagreement(a, b, order), qPrintable(a + u' ' + b));
                // Ignoring case the order is the same, ties aside.
                const int folded = sign(compareIgnoringCase(a, b, order));
                QVERIFY2(folded == (sameIgnoringCase(a, b) ? 0 : expected), qPrintable(a + u' ' + b));
            }
        }
        // The quick sort, from the reversed and from a shuffled order.
        QStringList texts(ordered.rbegin(), ordered.rend());
        sortInItemOrder(texts, order);
        QCOMPARE(texts, ordered);
        texts = ordered;
        for (qsizetype i = 0; i + 2 < texts.size(); i += 3)
            texts.swapItemsAt(i, i + 2);
        std::rotate(texts.begin(), texts.begin() + texts.size() / 2, texts.end());
        sortInItemOrder(texts, order);
        QCOMPARE(texts, ordered);
    }
}

void TestFileNames::quickPathsAgreeWithQt()
{
    // The quick paths of the comparison and the word search must give exactly
    // the answers of the reference forms built from Qt's tables (base letters,
    // then the case-folded text, then the exact text), also around non-ASCII
    // letters that fold to ASCII (Kelvin sign, long s), combining marks, Hangul,
    // characters outside the BMP, and "/" between the parts of a path.
    // Digits, runs of them across marks among them, for the natural order.
    const QString alphabet = QString::fromUtf8("aAbBkKsS._ 0019/\u212AſéÉΣσςİıøßÅ\u0301\u0308가각")
        + QString::fromUtf8("𐐀𐐨");
    QList<QString> pieces;
    for (qsizetype i = 0; i < alphabet.size(); ++i) {
        if (alphabet[i].isHighSurrogate()) {
            pieces.append(alphabet.mid(i, 2));
            ++i;
        } else {
            pieces.append(alphabet.mid(i, 1));
        }
    }
    quint32 seed = 12345;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    auto randomText = [&](int maxLen) {
        QString s;
        const int len = int(next() % quint32(maxLen + 1));
        for (int k = 0; k < len; ++k)
            s += pieces.at(qsizetype(next() % quint32(pieces.size())));
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const QString a = randomText(6), b = randomText(6), word = randomText(2);
        for (const ItemOrder order : {ItemOrder::Alphabetical, ItemOrder::Natural}) {
            const char *disagreement = test::caseRuleDisagreement(a, b, order);
            QVERIFY2(!disagreement, qPrintable(QLatin1StringView(disagreement) + u' ' + a + u' ' + b));
            disagreement = test::caseRuleDisagreement(a, word, order);
            QVERIFY2(!disagreement, disagreement);
        }
    }
}

void TestFileNames::displayNameAgreesWithQt_data()
{
    // Well-formed sequences at the edges of each form; every byte of each is
    // replaced by every byte value in turn, and each is cut short.
    QTest::addColumn<QList<char32_t>>("codePoints");
    QTest::newRow("1 byte") << QList<char32_t>{0x00, 0x09, 0x41, 0x7F};
    QTest::newRow("2 bytes") << QList<char32_t>{0x80, 0x9F, 0xA0, 0xE9, 0x7FF};
    QTest::newRow("3 bytes") << QList<char32_t>{0x800, 0xFFF, 0x1000, 0x2028, 0x2029, 0xD7FF, 0xE000, 0xFFFD, 0xFFFF};
    QTest::newRow("4 bytes") << QList<char32_t>{0x10000, 0x10400, 0x3FFFF, 0x40000, 0xFFFFF, 0x100000, 0x10FFFF};
}

void TestFileNames::displayNameAgreesWithQt()
{
    QFETCH(QList<char32_t>, codePoints);
    for (const char32_t c : codePoints) {
        const QByteArray sequence = text(c).toUtf8();
        QList<QByteArray> variants;
        for (qsizetype at = 0; at < sequence.size(); ++at) {
            variants.append(sequence.first(at));
            for (int value = 0; value < 256; ++value) {
                QByteArray changed = sequence;
                changed[at] = char(value);
                variants.append(changed);
            }
        }
        for (const QByteArray &bytes : std::as_const(variants)) {
            // Alone, between printable ASCII, and twice in a row.
            for (const QByteArray &name : {bytes, QByteArray("a" + bytes + "z"), QByteArray(bytes + bytes)}) {
                const QString expected = test::referenceDisplayName(name);
                if (corvane::displayName(name) != expected)
                    QCOMPARE(corvane::displayName(name), expected); // names the bytes that differ
            }
        }
    }
}

void TestFileNames::caseFoldingAgreesWithQt()
{
    // Every code point with a case mapping, and every one at the edge of a
    // form, against its folded form and its next neighbour, after an ASCII
    // prefix that differs only in case, so the quick paths run first.
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        const bool edge = c < 0x100 || c == 0x7FF || c == 0x800 || c == 0xD7FF || c == 0xE000 || c == 0xFFFF
            || c == 0x10000 || c == 0x10FFFF;
        if (QChar::isSurrogate(c) || (!edge && QChar::toCaseFolded(c) == c && QChar::toUpper(c) == c))
            continue;
        const QString s = text(c), folded = s.toCaseFolded();
        const char32_t after = c == 0xD7FF ? 0xE000 : c + 1; // surrogates are no code points of a text
        const QString a = u"kA" + s;
        for (const auto &[x, y] : {std::pair{a, QString(u"Ka" + folded)}, std::pair{a, QString(u"Ka" + text(after))},
                                   std::pair{QString(u"Ka" + folded + u'z'), s}}) {
            if (const char *disagreement = test::caseRuleDisagreement(x, y))
                QFAIL(qPrintable(QStringLiteral("%1 at U+%2").arg(QLatin1StringView(disagreement)).arg(uint(c), 0, 16)));
        }
    }
}

void TestFileNames::itemKeyAgreesWithOrder()
{
    // Every value of one unit at every place of a 17-unit text: a key exactly
    // when the first 16 units are ASCII and not NUL, the same key from bytes
    // and from UTF-16, and never an order the full comparison contradicts.
    const QString base(17, u'm');
    ItemKey baseKey;
    QVERIFY(itemKey(base.utf16(), base.size(), baseKey));
    for (qsizetype at = 0; at < base.size(); ++at) {
        for (char16_t value = 0; value < 0x180; ++value) {
            QString t = base;
            t[at] = QChar(value);
            ItemKey key, byteKey;
            const bool has = itemKey(t.utf16(), t.size(), key);
            QCOMPARE(has, at >= 16 || (value != 0 && value < 0x80));
            if (value < 0x100) {
                const QByteArray bytes = t.toLatin1();
                QCOMPARE(itemKey(bytes.constData(), bytes.size(), byteKey), has);
                QVERIFY(!has || byteKey == key);
            }
            if (has && !(key == baseKey))
                QCOMPARE(key < baseKey ? -1 : 1, test::referenceItemCompare(t, base));
        }
    }
    // Natural keys: every value of one unit at each of the first places of
    // texts with runs of digits (one too long for its count), from bytes and
    // UTF-16 alike, against texts with other runs.
    const QStringList bases = {"m7m", "mm007m0", "Track 10 of 12 (2)", "x" + QString(300, u'9') + "y",
                               "3.14159265358979323846264"};
    for (const QString &base : bases) {
        for (qsizetype at = 0; at < std::min<qsizetype>(base.size(), 24); ++at) {
            for (char16_t value = 1; value < 0x100; value += value < 0x80 ? 1 : 0x3F) {
                QString t = base;
                t[at] = QChar(value);
                ItemKey key, byteKey;
                const bool has = itemKey(t.utf16(), t.size(), key, ItemOrder::Natural);
                const QByteArray bytes = t.toLatin1();
                QCOMPARE(itemKey(bytes.constData(), bytes.size(), byteKey, ItemOrder::Natural), has);
                QVERIFY(!has || byteKey == key);
                QVERIFY(has || value >= 0x80); // every ASCII name has one: the walk relies on it
                for (const QString &other : bases) {
                    ItemKey otherKey;
                    QVERIFY(itemKey(other.utf16(), other.size(), otherKey, ItemOrder::Natural));
                    if (has && !(key == otherKey))
                        QCOMPARE(key < otherKey ? -1 : 1, test::referenceItemCompare(t, other, ItemOrder::Natural));
                }
            }
        }
    }
}

QTEST_APPLESS_MAIN(TestFileNames)
#include "tst_filenames.moc"
