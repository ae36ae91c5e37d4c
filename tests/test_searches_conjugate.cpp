// Mode "Conjugaison": the verb of a form, printed in its ten blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_searches_support.h"

namespace {

std::vector<std::string> VerbDictionary() {
    return DictFixture::Framed({
        DictLineUtf8("aimer", "aimer", "V000"),
        DictLineUtf8("aime", "aimer", "V111"),
        DictLineUtf8("aimes", "aimer", "V112"),
        DictLineUtf8("aime", "aimer", "V113"),
        DictLineUtf8("aimons", "aimer", "V114"),
        DictLineUtf8("aimez", "aimer", "V115"),
        DictLineUtf8("aiment", "aimer", "V116"),
        DictLineUtf8("aimais", "aimer", "V121"),
        DictLineUtf8("aime", "aimer", "V311"),
        DictLineUtf8("aime", "aimer", "V313"),
        DictLineUtf8("aime", "aimer", "V412"),
        DictLineUtf8("aimons", "aimer", "V414"),
        DictLineUtf8("aimez", "aimer", "V415"),
        DictLineUtf8("aimant", "aimer", "V511"),
        DictLineUtf8("aimant", "|", "N11"),
        DictLineUtf8("aimé", "aimer", "V611"),
        DictLineUtf8("aimée", "aimer", "V621"),
        DictLineUtf8("aimerai", "aimer", "V9"),  // a code outside the table
        DictLineUtf8("hait", "haïr", "V113"),
        DictLineUtf8("hais", "haïr", "V111"),
        DictLineUtf8("haïr", "0", "V000"),
        DictLineUtf8("éveille", "éveiller", "V111"),
        DictLineUtf8("éveillé", "éveiller", "V111"),  // a later line of the same code wins
        DictLineUtf8("Éveil", "éveiller", "V116"),
        DictLineUtf8("suis", "être", "V111"),
        DictLineUtf8("suis", "suivre", "V111"),
        DictLineUtf8("être", "0", "V000"),
    });
}

}  // namespace

TEST(ConjugateVerb, PrintsTheTenBlocksInOrder) {
    DictFixture dict(VerbDictionary());
    SearchRun run("aimons");
    run.Run(*dict, ConjugateVerb);
    EXPECT_EQ(run.Dump(),
              "[- K] \n"
              "[biu K]Conjugaison du verbe :[bi B]\taimer\n"
              "\n"
              "[iu K]Indicatif Présent\n"
              "[- K]\tj' aime\n"
              "[- K]\ttu aimes\n"
              "[- K]\til aime\n"
              "[- K]\tnous aimons\n"
              "[- K]\tvous aimez\n"
              "[- K]\tils aiment\n"
              "\n"
              "[iu K]Indicatif Imparfait\n"
              "[- K]\tj' aimais\n"
              "\n"
              "[iu K]Indicatif Passé simple\n"
              "\n"
              "[iu K]Indicatif Futur simple\n"
              "\n"
              "[iu K]Conditionnel Présent\n"
              "\n"
              "[iu K]Subjonctif Présent\n"
              "[- K]\tj' aime\n"
              "[- K]\til aime\n"
              "\n"
              "[iu K]Subjonctif Imparfait\n"
              "\n"
              "[iu K]Impératif\n"
              "[- K]\taime\n"
              "[- K]\taimons\n"
              "[- K]\taimez\n"
              "\n"
              "[iu K]Participe Présent\n"
              "[- K]\taimant\n"
              "\n"
              "[iu K]Participe Passé\n"
              "[- K]\taimé\n"
              "[- K]\taimée\n");
    EXPECT_EQ(run.area.UpdateDepth(), 0);
    ASSERT_EQ(run.list.Count(), 54);
    EXPECT_EQ(run.list[0], "aimer");
}

TEST(ConjugateVerb, FirstPersonElidesBeforeVowelsOnly) {
    DictFixture dict(VerbDictionary());
    SearchRun h("hait");
    h.Run(*dict, ConjugateVerb);
    EXPECT_EQ(h.Line(1), "Conjugaison du verbe :\thaïr");
    EXPECT_EQ(h.Line(4), "\tje hais");
    EXPECT_EQ(h.Line(5), "\til hait");

    SearchRun e("éveille");
    e.Run(*dict, ConjugateVerb);
    EXPECT_EQ(e.Line(4), "\tj' éveillé");  // the later of two lines with one code
    EXPECT_EQ(e.Line(5), "\tils Éveil");
    SearchRun capital("Éveil");
    capital.Run(*dict, ConjugateVerb);
    EXPECT_EQ(capital.Line(1), "Conjugaison du verbe :\téveiller");
}

TEST(ConjugateVerb, FormOfTwoVerbsTakesTheFirstLine) {
    DictFixture dict(VerbDictionary());
    SearchRun run("suis");
    run.Run(*dict, ConjugateVerb);
    EXPECT_EQ(run.Line(1), "Conjugaison du verbe :\têtre");
    EXPECT_EQ(run.Line(4), "\tje suis");
}

TEST(ConjugateVerb, NoVerbFormAndAStaleListBefore) {
    DictFixture dict(VerbDictionary());
    SearchRun run("chat");
    run.list.SetSorted(true);  // as another search may leave it
    run.list.Add("zzz");
    run.Run(*dict, ConjugateVerb);
    EXPECT_EQ(run.Dump(),
              "[- K] \n"
              "[biu K]Conjugaison du verbe :[bi B]\t########\n"
              "\n"
              "[- K]Verbe inconnu du dictionnaire\n"
              "\n");
    EXPECT_FALSE(run.list.Sorted());
    EXPECT_EQ(run.list.Count(), 54);
    EXPECT_EQ(run.area.UpdateBlocks(), 0);

    // A noun that shares the form of a verb is no verb form; the participle is.
    SearchRun aimant("aimant");
    aimant.Run(*dict, ConjugateVerb);
    EXPECT_EQ(aimant.Line(1), "Conjugaison du verbe :\taimer");
}

TEST(ConjugateVerb, VerbLineWithoutLemmaIsPassedOver) {
    // The first line names no verb; the next line of the same form does.
    DictFixture dict(DictFixture::Framed(
        {"vire\t\tEIRV\t*V111", DictLineUtf8("vire", "virer", "V113"), DictLineUtf8("vires", "virer", "V112")}));
    SearchRun run("vire");
    run.Run(*dict, ConjugateVerb);
    EXPECT_EQ(run.Line(1), "Conjugaison du verbe :\tvirer");
    EXPECT_EQ(run.Line(4), "\ttu vires");
    EXPECT_EQ(run.Line(5), "\til vire");
}
