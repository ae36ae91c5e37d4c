#!/usr/bin/python3
"""Builds the sample dictionary resources/sample/LEXOTOT.TXT.

The word forms, lemmas and grammatical tags come from the French lexicon that
Debian ships in python3-grammalecte (its "classic" spelling dictionary). This script
picks common verbs, nouns, adjectives, grammatical words, interjections, numbers and
a few proper nouns from it, maps its tags to our grammatical codes and writes the
file: a version line first and last, Windows-1252 text, CR LF line ends, one line
per reading of a form:

    form TAB lemma TAB anagram-key TAB "*" code

Run it once by hand after `apt-get install python3-grammalecte`:

    /usr/bin/python3 tools/make_sample_dict.py [output-path]

The output depends only on the lexicon and on the word lists below, so two runs on the
same package version give the same file.
"""

import os
import subprocess
import re
import sys

sys.path.insert(0, "/usr/lib/python3/dist-packages")
from grammalecte.graphspell.ibdawg import IBDAWG  # noqa: E402

VERSION = "LEX26120"
LEXICON = "fr-classic.json"

# Verbs conjugated in full (every form the lexicon knows for them).
VERBS = """
être avoir aller faire dire pouvoir voir savoir vouloir venir prendre mettre devoir
falloir croire trouver donner parler passer rester comprendre partir sortir tenir
sentir vivre rendre attendre entendre répondre connaître paraître naître mourir
ouvrir offrir courir écrire lire boire recevoir apercevoir suivre jouer travailler
regarder appeler jeter acheter lever mener commencer placer manger nager voyager
payer envoyer essayer employer nettoyer préférer espérer répéter céder arriver
entrer tomber monter descendre porter penser demander montrer chercher laisser
marcher aimer chanter finir choisir grandir réussir remplir agir bâtir rougir punir
obéir dormir servir mentir craindre peindre joindre plaire rire conduire construire
cuire battre pleuvoir asseoir valoir haïr cueillir acquérir résoudre vaincre fuir
étonner amuser intéresser charmer
""".split()

# Nouns (masculine singular head, as the lexicon files them; feminine forms that the
# lexicon files under the same head come along).
NOUNS = """
homme femme enfant garçon fille père mère frère sœur oncle tante ami voisin cousin
roi reine prince maître élève professeur médecin boulanger chanteur acteur
directeur ouvrier paysan auteur chat chien cheval vache mouton cochon oiseau
poisson lapin souris loup renard lion tigre ours singe serpent abeille mouche
papillon araignée arbre fleur feuille herbe forêt bois jardin champ prairie
montagne colline vallée rivière fleuve lac mer océan plage île presqu’île côte
ciel cieux soleil lune étoile nuage pluie neige vent orage tempête brouillard
été hiver printemps automne saison jour nuit matin soir midi minuit semaine mois
année an heure minute seconde temps moment siècle maison immeuble appartement
chambre cuisine salon salle toit mur porte fenêtre escalier cave grenier jardin
rue route chemin pont place ville village pays capitale quartier campagne
voiture vélo train avion bateau camion bus métro gare port aéroport
table chaise lit armoire bureau lampe miroir tapis rideau fauteuil canapé
livre cahier crayon stylo papier lettre journal page mot phrase histoire conte
école classe leçon devoir examen question réponse exemple idée pensée rêve
pain beurre fromage lait œuf viande poulet soupe salade fruit pomme poire
orange banane cerise fraise raisin citron légume carotte tomate oignon sucre
sel poivre café thé eau vin bière jus gâteau tarte chocolat repas déjeuner dîner
tête visage œil yeux oreille nez bouche dent langue cou épaule bras main doigt
jambe pied genou dos ventre cœur sang peau cheveu corps esprit âme
vêtement chemise pantalon robe jupe manteau veste chapeau chaussure chaussette
gant écharpe poche bouton sac valise clé argent prix travail métier usine
magasin marché boutique banque hôpital église château musée théâtre cinéma
bibliothèque musique chanson danse jeu sport football match équipe ballon
couleur rouge bleu vert jaune noir blanc gris rose violet forme cercle carré
ligne point nombre chiffre somme partie moitié fin début milieu bord centre
côté haut bas fond face droite gauche nord sud est ouest monde terre pierre
sable fer or bronze verre feu fumée lumière ombre bruit silence voix son cri
parole langage nom prénom famille mariage naissance vie mort santé maladie
douleur joie peur colère amour bonheur tristesse espoir courage force faiblesse
guerre paix loi droit pouvoir état gouvernement peuple nation patrie drapeau
fête cadeau anniversaire vacances voyage promenade visite rencontre
arc-en-ciel porte-monnaie grand-mère grand-père chou-fleur après-midi week-end
porte-parole timbre-poste oiseau-mouche belle-mère beau-père tire-bouchon
prud’homme aujourd’hui chef-d’œuvre hôtel hôte élan étape écureuil
""".split()

# Adjectives (masculine singular head).
ADJECTIVES = """
beau bon grand petit gros mince long court haut bas large étroit jeune vieux
nouveau ancien premier dernier seul même autre vrai faux juste sûr certain
clair sombre chaud froid doux dur mou léger lourd plein vide propre sale
riche pauvre heureux malheureux content triste gai joyeux calme tranquille
fort faible rapide lent facile difficile simple possible impossible important
grave sérieux drôle gentil méchant poli aimable fier sage fou bête intelligent
beau joli laid blanc noir rouge bleu vert jaune gris brun roux rose violet
français anglais allemand italien espagnol européen étranger national public
privé libre cher entier complet parfait prêt frais sec mûr amer sucré salé
rond carré droit profond lointain proche voisin naturel normal général
spécial particulier principal central final entier blond chauve aveugle muet
sourd malade vivant mort neuf vif actif naïf attentif sportif
charmant étonnant amusant intéressant chantant
""".split()

# Adverbs beyond the grammatical ones of the lexicon.
ADVERBS = """
aujourd’hui hier demain maintenant bientôt déjà encore toujours jamais souvent
parfois longtemps tard tôt vite lentement doucement rapidement ensemble ici là
partout ailleurs dedans dehors dessus dessous devant derrière loin près
beaucoup peu trop assez très bien mal mieux pis vraiment seulement surtout
presque environ ainsi alors aussi autant plutôt volontiers certainement
heureusement malheureusement simplement facilement tellement
""".split()

INTERJECTIONS = """
ah aïe bah bravo chut eh euh hé hein hélas hep ho holà hourra oh ohé ouf ouille
oups pouah zut allô bof
""".split()

NUMBER_WORDS = set("""
zéro un une deux trois quatre cinq six sept huit neuf dix onze douze treize
quatorze quinze seize vingt trente quarante cinquante soixante cent mille et
""".split())

# Proper nouns, written as the lexicon writes them; stored in lower case.
PROPER_NOUNS = """
Paris France Marie Pierre Jean Lyon Marseille Toulouse Bordeaux Nantes Lille Nice
Strasbourg Loire Seine Rhône Europe Belgique Suisse Canada Québec Afrique Bretagne
Provence Normandie Louis Paul Jacques François Hélène Sophie Claire Nicolas
Étienne Zoé Chloé Noël Léa Hugo
""".split()

# Tag pieces of the lexicon.
VERB_TENSES = {"Ip": "11", "Iq": "12", "Is": "13", "If": "14", "K": "21",
               "Sp": "31", "Sq": "32", "E": "41"}
PERSONS = {"1s": "1", "2s": "2", "3s": "3", "1p": "4", "2p": "5", "3p": "6", "3p!": "6"}
IMPERATIVE_PERSONS = {"2", "4", "5"}
GENDERS = {"m": "1", "f": "2", "e": "0"}
NUMBERS = {"s": "1", "p": "2", "i": "0"}

# Accent folding of lower-case Windows-1252 letters, then upper case (the same as the
# program's own key routine).
FOLD = {}
for chars, plain in (("àáâãäå", "a"), ("ç", "c"), ("èéêë", "e"), ("ìíîï", "i"),
                     ("ñ", "n"), ("òóôõö", "o"), ("ùúûü", "u"), ("ýÿ", "y")):
    for ch in chars:
        FOLD[ch] = plain


def fold_upper(form):
    return "".join(FOLD.get(ch, ch) for ch in form).upper()


def anagram_key(form):
    return "".join(sorted(ch for ch in fold_upper(form) if "A" <= ch <= "Z"))


def clean_form(form):
    """The lexicon's typographic apostrophe becomes the plain one the program searches."""
    return form.replace("\u2019", "'")


def usable(form):
    """One form of letters, apostrophes and hyphens, all of them in Windows-1252."""
    if not form or form.endswith("'") or form.startswith("-") or form.endswith("-"):
        return False
    try:
        form.encode("cp1252")
    except UnicodeEncodeError:
        return False
    return all(ch.isalpha() or ch in "'-" for ch in form)


def split_tags(tag):
    # Drop the variant after "/" and the annotations after ";" and "#".
    tag = re.split("[/;#]", tag)[0]
    return [t for t in tag.split(":") if t]


def gender_number(tags):
    g = next((GENDERS[t] for t in tags if t in GENDERS), "0")
    n = next((NUMBERS[t] for t in tags if t in NUMBERS), "0")
    return g, n


def verb_codes(tags):
    """Our V codes for one lexicon reading of a verb form."""
    codes = []
    persons = [PERSONS[t] for t in tags if t in PERSONS]
    for t in tags:
        if t == "Y":
            codes.append("V000")
        elif t == "P":
            codes.append("V511")
        elif t == "Q":
            genders = [t2 for t2 in tags if t2 in ("m", "f", "e")]
            numbers = [t2 for t2 in tags if t2 in ("s", "p", "i")]
            if genders == ["e"] and numbers == ["i"]:
                # An invariable participle (été, pu): one masculine singular form.
                codes.append("V611")
                continue
            gs = ["1", "2"] if not genders or genders == ["e"] else [GENDERS[genders[0]]]
            ns = ["1", "2"] if not numbers or numbers == ["i"] else [NUMBERS[numbers[0]]]
            codes += ["V6" + g + n for g in gs for n in ns]
        elif t in VERB_TENSES:
            for p in persons:
                if t == "E" and p not in IMPERATIVE_PERSONS:
                    continue
                codes.append("V" + VERB_TENSES[t] + p)
    return codes


def word_codes(tags):
    """Our codes for one lexicon reading of a form that is no verb form."""
    g, n = gender_number(tags)
    codes = []
    for t in tags:
        if t == "N":
            codes.append("N" + g + n)
        elif t == "A":
            codes.append("J" + g + n)
        elif t.startswith("D") and t in ("D", "Dd", "De", "Dp", "Di", "Dn"):
            codes.append("D" + g + n)
        elif t in ("Od", "Oi", "On", "Ot", "Or", "Ow", "Os", "Oo"):
            codes.append("P" + g + n)
        elif t in ("R", "Rv"):
            codes.append("R")
        elif t in ("C", "Cc", "Cs"):
            codes.append("C")
        elif t in ("W", "X", "U"):
            codes.append("Z")
        elif t == "J":
            codes.append("I")
        elif t == "B":
            codes.append("J30")
    out = []
    for c in codes:  # one line per code, in the order found
        if c not in out:
            out.append(c)
    return out


def main():
    out_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "sample", "LEXOTOT.TXT")

    verbs = set(VERBS)
    nouns = {clean_form(w) for w in NOUNS}
    adjectives = set(ADJECTIVES)
    adverbs = {clean_form(w) for w in ADVERBS}
    interjections = set(INTERJECTIONS)
    proper = set(PROPER_NOUNS)

    lexicon = IBDAWG(LEXICON)
    entries = set()  # (form, lemma, code)
    participles = {}  # present participle -> infinitive
    adjective_forms = []  # (form, head, tags) of every adjective reading

    for raw_form, head, raw_tag in lexicon.select():
        tags = split_tags(raw_tag)
        if not tags:
            continue
        form = clean_form(raw_form)
        head = clean_form(head)
        if tags[0] in ("M1", "M2", "MP") or (raw_form in proper and raw_form[0].isupper()):
            if raw_form in proper:
                entries.add((form.lower(), "|", "W"))
            continue
        if not usable(form) or form != form.lower():
            continue
        if tags[0].startswith("V"):
            if head in verbs:
                for code in verb_codes(tags):
                    entries.add((form, head, code))
                    if code == "V511":
                        participles[form] = head
            continue
        if "A" in tags:
            adjective_forms.append((form, head, tags))
        selected = ("G" in tags
                    or ("N" in tags and head in nouns)
                    or ("A" in tags and head in adjectives)
                    or (("W" in tags or "X" in tags) and head in adverbs)
                    or ("J" in tags and head in interjections)
                    or ("B" in tags and all(p in NUMBER_WORDS for p in form.split("-"))))
        if not selected:
            continue
        for code in word_codes(tags):
            lemma = "|" if code == "I" else "0"
            entries.add((form, lemma, code))

    # The gender and number forms of a present participle are those of the verbal
    # adjective with the same spelling (chantant, chantante...).
    for form, head, tags in adjective_forms:
        if head in participles:
            g, n = gender_number(tags)
            for gs in (["1", "2"] if g == "0" else [g]):
                for ns in (["1", "2"] if n == "0" else [n]):
                    code = "V5" + gs + ns
                    if code != "V511":
                        entries.add((form, participles[head], code))

    lines = [f"{form}\t{lemma}\t{anagram_key(form)}\t*{code}"
             for form, lemma, code in entries]
    # A first order by word form; sortdict (below) then puts the lines in the programs'
    # own line order, the one a merged dictionary and the server's update text run in.
    lines.sort(key=lambda s: (fold_upper(s.split("\t")[0]), s.encode("cp1252")))
    version = "~" * 43 + " " + VERSION + " " + "~" * 43
    text = "\r\n".join([version] + lines + [version]) + "\r\n"
    os.makedirs(os.path.dirname(os.path.abspath(out_path)), exist_ok=True)
    with open(out_path, "wb") as f:
        f.write(text.encode("cp1252"))
    print(f"{out_path}: {len(lines)} word lines")
    sortdict = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build", "tools", "sortdict")
    if not os.access(sortdict, os.X_OK):
        sys.exit("build/tools/sortdict is missing: build the project first (scripts/setup.sh)")
    subprocess.run([sortdict, out_path], check=True)


if __name__ == "__main__":
    main()
