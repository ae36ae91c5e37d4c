// Dictionary lines, grammatical codes, version lines, folding, keys, file names.
#include <gtest/gtest.h>

#include <string>

#include "Global.h"
#include "cp1252.h"

namespace {

TMot Parse(const std::string& line) {
    TMot m{"stale", "stale", "stale", "stale"};  // every field must be overwritten
    ParseDictLine(line, m);
    return m;
}

TEST(ParseDictLine, FullWordLine) {
    const TMot m = Parse(A("mangeâmes\tmanger\tAAEEGMMNS\t*V131"));
    EXPECT_EQ(m.Word, A("mangeâmes"));
    EXPECT_EQ(m.Lemma, "manger");
    EXPECT_EQ(m.SortedKey, "AAEEGMMNS");
    EXPECT_EQ(m.Code, "V131");
}

TEST(ParseDictLine, LemmaZeroMeansTheFormItselfOnlyWhenExactlyZero) {
    EXPECT_EQ(Parse("chien\t0\tCEHIN\t*N11").Lemma, "chien");
    EXPECT_EQ(Parse("chien\t00\tCEHIN\t*N11").Lemma, "00");
    EXPECT_EQ(Parse("chien\t 0\tCEHIN\t*N11").Lemma, " 0");
    EXPECT_EQ(Parse("chien\t|\tCEHIN\t*N11").Lemma, "|");
    EXPECT_EQ(Parse("\t0\t\t*N11").Lemma, "");
}

TEST(ParseDictLine, MarkerIsSkippedWhateverItIs) {
    EXPECT_EQ(Parse("a\tb\tK\t*N21").Code, "N21");
    EXPECT_EQ(Parse("a\tb\tK\t#N21").Code, "N21");
    EXPECT_EQ(Parse("a\tb\tK\t").Code, "");
    EXPECT_EQ(Parse("a\tb\tK\t*").Code, "");
}

TEST(ParseDictLine, LinesWithFewerTabs) {
    // No TAB: a version line, for one.
    const std::string version = VersionLine("LEX00000");
    TMot m = Parse(version);
    EXPECT_EQ(m.Word, "");
    EXPECT_EQ(m.Lemma, "");
    EXPECT_EQ(m.SortedKey, "");
    EXPECT_EQ(m.Code, version.substr(1));

    m = Parse("chien\tCEHIN");  // one TAB
    EXPECT_EQ(m.Word, "chien");
    EXPECT_EQ(m.Lemma, "");
    EXPECT_EQ(m.SortedKey, "");
    EXPECT_EQ(m.Code, "EHIN");

    m = Parse("chien\t0\t*N11");  // two TABs: no key, the code loses its first character
    EXPECT_EQ(m.Word, "chien");
    EXPECT_EQ(m.Lemma, "chien");
    EXPECT_EQ(m.SortedKey, "");
    EXPECT_EQ(m.Code, "N11");

    m = Parse("");
    EXPECT_EQ(m.Word, "");
    EXPECT_EQ(m.Code, "");

    m = Parse("a\tb\tc\td\te");  // a fourth TAB belongs to the code
    EXPECT_EQ(m.SortedKey, "c");
    EXPECT_EQ(m.Code, "\te");
}

TEST(ParseDictLine, EmptyLeadingFields) {
    const TMot m = Parse("\t\t\t*Z");
    EXPECT_EQ(m.Word, "");
    EXPECT_EQ(m.Lemma, "");
    EXPECT_EQ(m.SortedKey, "");
    EXPECT_EQ(m.Code, "Z");
}

TEST(CategoryText, LettersWithoutDigits) {
    EXPECT_EQ(CategoryText("A", "x"), A("abréviation"));
    EXPECT_EQ(CategoryText("C", "x"), "conjonction");
    EXPECT_EQ(CategoryText("I", "x"), "interjection");
    EXPECT_EQ(CategoryText("O", "x"), A("onomatopée"));
    EXPECT_EQ(CategoryText("R", "x"), A("préposition"));
    EXPECT_EQ(CategoryText("W", "x"), "nom propre ");
    EXPECT_EQ(CategoryText("Z", "x"), "adverbe");
    // Digits after these letters are ignored.
    EXPECT_EQ(CategoryText("Z12", "x"), "adverbe");
    EXPECT_EQ(CategoryText("W21", "x"), "nom propre ");
}

TEST(CategoryText, NounLikeCodes) {
    EXPECT_EQ(CategoryText("N21", ""), A("nom commun féminin - singulier"));
    EXPECT_EQ(CategoryText("J30", ""), "adjectif cardinal - invariable pluriel");
    EXPECT_EQ(CategoryText("D00", ""), A("déterminant genre invariable - invariable pluriel"));
    EXPECT_EQ(CategoryText("P12", ""), "pronom masculin - pluriel");
    EXPECT_EQ(CategoryText("N", ""), "nom commun ");
    EXPECT_EQ(CategoryText("N2", ""), A("nom commun féminin - "));
    EXPECT_EQ(CategoryText("N9", ""), "nom commun ");
    EXPECT_EQ(CategoryText("N215", ""), CategoryText("N21", ""));
    EXPECT_EQ(CategoryText("J13", ""), "adjectif masculin - ");
}

TEST(CategoryText, EveryEditorNounCodeHasGenderAndNumber) {
    for (const char* code : {"N00", "N01", "N02", "N10", "N11", "N12", "N20", "N21", "N22", "N31", "N32", "J00",
                             "J01", "J02", "J10", "J11", "J12", "J20", "J21", "J22", "J30", "D00", "D01", "D02",
                             "D11", "D12", "D21", "D22", "P00", "P01", "P02", "P11", "P12", "P21", "P22"}) {
        const std::string t = CategoryText(code, "");
        EXPECT_NE(t.find(" - "), std::string::npos) << code;
        EXPECT_NE(t.back(), ' ') << code;
    }
}

TEST(CategoryText, VerbCodes) {
    const std::string v = "verbe (manger) ";
    EXPECT_EQ(CategoryText("V111", "manger"), v + A("indicatif présent 1° personne du singulier"));
    EXPECT_EQ(CategoryText("V000", "manger"), v + "infinitif");
    EXPECT_EQ(CategoryText("V415", "manger"), v + A("impératif présent 2° personne du pluriel"));
    EXPECT_EQ(CategoryText("V512", "manger"), v + A("participe présent masculin - pluriel"));
    EXPECT_EQ(CategoryText("V621", "manger"), v + A("participe passé féminin - singulier"));
    EXPECT_EQ(CategoryText("V146", "manger"), v + A("indicatif futur simple 3° personne du pluriel"));
    EXPECT_EQ(CategoryText("V233", "manger"), v + A("conditionnel passé simple 3° personne du singulier"));
    EXPECT_EQ(CategoryText("V324", "manger"), v + A("subjonctif imparfait 1° personne du pluriel"));
    EXPECT_EQ(CategoryText("V", "manger"), v);
    EXPECT_EQ(CategoryText("V1", "manger"), v + "indicatif ");
    EXPECT_EQ(CategoryText("V712", "manger"), v + "masculin - pluriel");
    EXPECT_EQ(CategoryText("Vx21", "manger"), v + A("féminin - singulier"));
    EXPECT_EQ(CategoryText("V1111", "manger"), CategoryText("V111", "manger"));
    // The degree sign is the single byte 0xB0.
    EXPECT_NE(CategoryText("V111", "x").find("1\xB0 personne"), std::string::npos);
}

TEST(CategoryText, UnknownLetterOrEmptyCodeGivesNothing) {
    EXPECT_EQ(CategoryText("v111", "manger"), "");
    EXPECT_EQ(CategoryText("n21", ""), "");
    EXPECT_EQ(CategoryText("X", ""), "");
    EXPECT_EQ(CategoryText("", "manger"), "");
    EXPECT_EQ(CategoryText("1", ""), "");
}

TEST(VersionLine, LayoutAndVersionColumns) {
    const std::string l = VersionLine("LEX00000");
    ASSERT_EQ(l.size(), 96u);
    EXPECT_EQ(l.substr(0, 43), std::string(43, '~'));
    EXPECT_EQ(l.substr(44, 9), "LEX00000 ");  // what the program reads as the version
    EXPECT_EQ(l[43], ' ');
    EXPECT_EQ(l.substr(53), std::string(43, '~'));
    EXPECT_EQ(l.find('\t'), std::string::npos);
}

TEST(VersionLine, KeepsItsLayoutForOddVersions) {
    EXPECT_EQ(VersionLine("LEX12345 ").substr(44, 9), "LEX12345 ");  // as read from a file
    EXPECT_EQ(VersionLine("LEX1").size(), 96u);
    EXPECT_EQ(VersionLine("LEX1").substr(44, 9), "LEX1     ");
    EXPECT_EQ(VersionLine("LEX123456789").substr(44, 9), "LEX12345 ");
}

// The expected fold of every byte, written out independently of the implementation.
std::string ExpectedFold(unsigned char b) {
    const std::string from = A("àáâãäåçèéêëìíîïñòóôõöùúûüýÿæðøþšœž");
    const std::string to = "AAAAAACEEEEIIIINOOOOOUUUUYY\xC6\xD0\xD8\xDE\x8A\x8C\x8E";
    if (b >= 'a' && b <= 'z') return std::string(1, static_cast<char>(b - 32));
    const size_t p = from.find(static_cast<char>(b));
    if (p != std::string::npos) return to.substr(p, 1);
    return std::string(1, static_cast<char>(b));
}

TEST(FoldAccentsUpper, EveryByte) {
    for (int b = 0; b < 256; ++b) {
        const std::string in(1, static_cast<char>(b));
        EXPECT_EQ(FoldAccentsUpper(in), ExpectedFold(static_cast<unsigned char>(b))) << "byte " << b;
    }
}

TEST(FoldAccentsUpper, Words) {
    EXPECT_EQ(FoldAccentsUpper(A("élève")), "ELEVE");
    EXPECT_EQ(FoldAccentsUpper(A("Élève")), A("ÉLEVE"));
    EXPECT_EQ(FoldAccentsUpper(A("œuvre")), A("ŒUVRE"));
    EXPECT_EQ(FoldAccentsUpper(A("ÿ")), "Y");
    EXPECT_EQ(FoldAccentsUpper(A("straße µ ÷ 12")), A("STRAßE µ ÷ 12"));
    EXPECT_EQ(FoldAccentsUpper(std::string("a\0b", 3)), std::string("A\0B", 3));
    EXPECT_EQ(FoldAccentsUpper(""), "");
}

TEST(AnagramKey, Words) {
    EXPECT_EQ(AnagramKey("chien"), "CEHIN");
    EXPECT_EQ(AnagramKey("aujourd'hui"), "ADHIJORUUU");
    EXPECT_EQ(AnagramKey(A("garçon")), "ACGNOR");
    EXPECT_EQ(AnagramKey(A("cœur")), "CRU");
    EXPECT_EQ(AnagramKey("arbre+"), "ABERR");
    EXPECT_EQ(AnagramKey("anana"), "AAANN");
    EXPECT_EQ(AnagramKey("Porte-Monnaie"), "AEEIMNNOOPRT");
    EXPECT_EQ(AnagramKey(A("Élève")), "EELV");  // capital É stays outside A-Z
    EXPECT_EQ(AnagramKey(A("ÿÆß2 x")), "XY");
    EXPECT_EQ(AnagramKey(""), "");
    EXPECT_EQ(AnagramKey("'-+'"), "");
}

TEST(AnagramKey, IgnoresLetterOrder) {
    EXPECT_EQ(AnagramKey("chien"), AnagramKey("niche"));
    EXPECT_EQ(AnagramKey(A("écrin")), AnagramKey("crien"));
}

TEST(SanitizeFileName, ReplacesOnlyForbiddenCharacters) {
    EXPECT_EQ(SanitizeFileName("a/b:c"), "a_b_c");
    EXPECT_EQ(SanitizeFileName("\\/:*?<>|\""), "_________");
    EXPECT_EQ(SanitizeFileName(A(" .été\t")), A(" .été\t"));
    EXPECT_EQ(SanitizeFileName("ch?en*"), "ch_en_");
    EXPECT_EQ(SanitizeFileName(""), "");
    EXPECT_EQ(std::string(ForbiddenFileNameChars), "\\/:*?<>|\"");
}

}  // namespace
