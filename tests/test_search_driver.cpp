// The search driver's plain logic: input checks, history, footer, the names and
// questions of saving, the word editor's entry.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "ElapsedTime.h"
#include "RecordingResultArea.h"
#include "SearchDriver.h"
#include "TestSupport.h"
#include "cp1252.h"
#include "tabfile.h"

namespace {

TEST(SearchInput, TrimAndLowerCase) {
    EXPECT_EQ(TrimInput("  \t Chat\r\n "), "Chat");
    EXPECT_EQ(TrimInput(" a b "), "a b");
    EXPECT_EQ(TrimInput(" \x01\x1f "), "");
    EXPECT_EQ(TrimInput(A("\xA0été")), A("\xA0été"));  // a no-break space is not trimmed
    EXPECT_EQ(LowerCase(A("CHAT-Été'X")), A("chat-été'x"));
    EXPECT_EQ(InputText(A("AUJOURD’HUI ÉTÉ")), A("aujourd'hui été"));
    // Every capital of the code page, and nothing else.
    EXPECT_EQ(LowerCase(A("ŒIL ÆGOSPOTAMOS ÉLÈVE ÇA ŠŽŸ ÀÞ × ß µ 1")), A("œil ægospotamos élève ça šžÿ àþ × ß µ 1"));
}

TEST(SearchInput, RefusalMessagesPerMode) {
    std::string msg;
    EXPECT_FALSE(CheckInput(smWord, "", "Chercher Mot", msg));
    EXPECT_EQ(msg, "La zone de saisie est vide, \r\nChercher Mot impossible");
    EXPECT_FALSE(CheckInput(smMaskedWords, "", A("Chercher Mots masqués"), msg));
    EXPECT_EQ(msg, A("La zone de saisie est vide, \r\nChercher Mots masqués impossible"));

    const std::string illegal = A("Caractère illégal dans la zone de saisie, \r\n");
    EXPECT_TRUE(CheckInput(smAnagrams, "chien+", "Chercher Anagrammes", msg));
    EXPECT_FALSE(CheckInput(smAnagrams, "chi+en", "Chercher Anagrammes", msg));
    EXPECT_EQ(msg, illegal + "Chercher Anagrammes impossible");
    EXPECT_FALSE(CheckInput(smAnagrams, "chien++", "Chercher Anagrammes", msg));
    EXPECT_FALSE(CheckInput(smWord, "chien+", "Chercher Mot", msg));
    EXPECT_EQ(msg, illegal + "Chercher Mot impossible");

    for (const std::string& ok : {A("été"), A("aujourd'hui"), A("porte-clés"), std::string("Chat"), A("cœur"),
                                  A("Æsope"), A("ÉLÈVE"), A("Élève"), A("ÇA"), A("aujourd’hui"), A("ŸÈBLE")})
        EXPECT_TRUE(CheckInput(smWord, ok, "Chercher Mot", msg)) << ok;
    for (const char* bad : {"chat2", "2", "le chat", "ch*t"})
        EXPECT_FALSE(CheckInput(smConjugation, bad, "Conjuguer Verbe", msg)) << bad;
    EXPECT_TRUE(CheckInput(smMaskedWords, "c?at*", A("Chercher Mots masqués"), msg));
    EXPECT_TRUE(CheckInput(smMaskedWords, "12 %", A("Chercher Mots masqués"), msg));
}

std::vector<std::string> Hist(std::vector<std::string> items, const std::string& s, ResultList& scratch) {
    UpdateHistory(items, scratch, s);
    return items;
}

TEST(SearchHistory, NewestFirstCaseFoldedAtMostTwenty) {
    ResultList scratch;
    scratch.SetSorted(true);
    using V = std::vector<std::string>;
    EXPECT_EQ(Hist({}, "Chat", scratch), V{"chat"});
    EXPECT_TRUE(scratch.Sorted());  // a first search leaves the list's sorting alone
    EXPECT_EQ(Hist({"a", "b", "c"}, "b", scratch), (V{"b", "a", "c"}));
    EXPECT_FALSE(scratch.Sorted());
    EXPECT_EQ(scratch.Count(), 0);
    EXPECT_EQ(Hist({"a", "b", "c"}, "B", scratch), (V{"b", "a", "c"}));
    EXPECT_EQ(Hist({"a", "b", "c"}, "d", scratch), (V{"d", "a", "b", "c"}));
    EXPECT_EQ(Hist({"a"}, "a", scratch), V{"a"});
    // An older entry matches without regard to case; accented capitals are lowered too.
    EXPECT_EQ(Hist({"x", A("été")}, A("ÉTÉ"), scratch), (V{A("été"), "x"}));
    EXPECT_EQ(Hist({"x", A("ÉtÉ")}, A("été"), scratch), (V{A("été"), "x"}));

    V twenty;
    for (int k = 0; k < 20; ++k) twenty.push_back("m" + std::to_string(k));
    const V after = Hist(twenty, "new", scratch);
    ASSERT_EQ(after.size(), 20u);
    EXPECT_EQ(after.front(), "new");
    EXPECT_EQ(after[1], "m0");
    EXPECT_EQ(after.back(), "m18");  // the oldest fell off
    EXPECT_EQ(Hist(twenty, "M7", scratch).size(), 20u);
}

TEST(SearchFooter, RunsAndElapsedTime) {
    RecordingResultArea a;
    a.AddLine("chat");
    a.SetStyle(fsItalic);  // the opening run keeps what the search left
    WriteFooter(a, 1234);
    EXPECT_EQ(a.UpdateDepth(), 0);
    EXPECT_EQ(a.UpdateBlocks(), 1);
    EXPECT_EQ(a.Line(1), "");
    EXPECT_EQ(a.Line(2), "");
    using R = RecordingResultArea::Run;
    const std::vector<R> want{{A("Recherche générée par "), fsItalic, rcBlack},
                              {"Lexorama v4.2", fsBold, rcBlack},
                              {" - ", fsNone, rcBlack},
                              {"www.lexorama.fr", fsBold, rcBlue},
                              {A(" - Temps écoulé : 00:00:01:234"), fsNone, rcBlack}};
    EXPECT_EQ(a.Runs(3), want);
    EXPECT_EQ(a.Style(), fsNone);
    EXPECT_EQ(a.Color(), rcBlack);

    // The driver feeds the tick difference, wrapping like the 32-bit counter.
    uint32_t now = 0xFFFFFF00u;
    SetTickSource([&] { return now; });
    const uint32_t start = TickCount();
    now += 2 * 60000 + 3000 + 7;
    RecordingResultArea b;
    b.AddLine(" ");
    b.WriteRun("ouverte");
    WriteFooter(b, TickCount() - start);
    SetTickSource({});
    const std::string tail = A(" - Temps écoulé : 00:02:03:7");
    EXPECT_EQ(b.Text().substr(b.Text().size() - tail.size()), tail);
    EXPECT_EQ(b.Line(2), "");  // after an open line: one empty line
}

TEST(SaveResults, FormatAndQuestion) {
    EXPECT_EQ(SaveFormatForFilter(0), SaveFormat::PlainText);
    EXPECT_EQ(SaveFormatForFilter(1), SaveFormat::Rtf);
    EXPECT_EQ(ProposedSaveName("a/b:c"), "a_b_c");
    EXPECT_EQ(OverwriteCaption(), "Fichier existant");
    EXPECT_EQ(OverwriteQuestion("/tmp/x.txt"),
              A("Le fichier /tmp/x.txt\r\nexiste déjà.\r\nVoulez vous le remplacer ?"));
}

// The results never replace the open dictionary, whatever name or link the user picks.
TEST(SaveResults, TheOpenDictionaryByAnyName) {
    const TempDir dir("lexo-driver");
    WriteFileBytes(dir / "dico.txt", "chat\r\n");
    WriteFileBytes(dir / "autre.txt", "chat\r\n");
    std::filesystem::create_symlink(dir / "dico.txt", dir / "lien.txt");
    {
        const ITabStringsPtr dictionary = TTabStringsFile::Create((dir / "dico.txt").string(), false);
        EXPECT_TRUE(IsDictionaryFile((dir / "lien.txt").string(), dictionary.get()));
        EXPECT_FALSE(IsDictionaryFile((dir / "autre.txt").string(), dictionary.get()));
        EXPECT_FALSE(IsDictionaryFile((dir / "lien.txt").string(), nullptr));
    }
}

TEST(WordEditorEntry, ChecksAndCaption) {
    std::string msg, word;
    EXPECT_EQ(CheckEditorInput("", msg, word), EditorInput::Ignore);
    EXPECT_EQ(CheckEditorInput("deux mots", msg, word), EditorInput::Refused);
    EXPECT_EQ(msg, A("Caractère illégal dans la zone de saisie,\r\nInscrire - Corriger un mot impossible"));
    EXPECT_EQ(CheckEditorInput("chat+", msg, word), EditorInput::Refused);
    EXPECT_EQ(CheckEditorInput(" chat", msg, word), EditorInput::Refused);  // not trimmed
    EXPECT_EQ(CheckEditorInput(A("Porte-Clés"), msg, word), EditorInput::Accepted);
    EXPECT_EQ(word, A("porte-clés"));
    EXPECT_EQ(CheckEditorInput(A("ŒUVRETTE"), msg, word), EditorInput::Accepted);
    EXPECT_EQ(word, A("œuvrette"));
    // Accented capitals and the typographic apostrophe (0x92) are taken as typed words.
    EXPECT_EQ(CheckEditorInput(A("ÉLÈVE"), msg, word), EditorInput::Accepted);
    EXPECT_EQ(word, A("élève"));
    EXPECT_EQ(CheckEditorInput(A("Aujourd’hui"), msg, word), EditorInput::Accepted);
    EXPECT_EQ(word, "aujourd'hui");
    EXPECT_EQ(CaptionAfterEdit(123457), " Lexorama v4.2 - 123456 mots.");
}

}  // namespace
