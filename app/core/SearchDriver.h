// The plain logic behind the main window's search button, history, footer, saving and
// the hand-over to the updater. Texts are Windows-1252 byte strings; the window shows
// the messages with ShowMessageBox and handles the dialogs and the focus itself. No Qt:
// the file dialog's filters, the saving of the result area and the start of the updater
// process are the window side's (SaveAndHandOver in app/).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ResultArea.h"
#include "ResultList.h"
#include "SearchModes.h"
#include "gui/MessageBoxFlags.h"

class ITabStrings;

// The program's name and version as shown in the footer and the captions.
inline constexpr const char* kProgramTitle = "Lexorama v4.2";
// The maker's web host (footer, and the default server host of the program).
inline constexpr const char* kMakerHost = "www.lexorama.fr";
// The most texts the search history keeps.
constexpr int kHistoryMax = 20;

// ---- Search request -----------------------------------------------------------------

// Drops blanks and control characters (bytes up to 0x20) at both ends.
std::string TrimInput(const std::string& s);

// Checks the (trimmed) search text for the search mode. On refusal returns false and
// sets message to the text of the warning box, whose caption is the action button's
// caption (flags MB_ICONEXCLAMATION):
//   empty text:   "La zone de saisie est vide, \r\n" + caption + " impossible"
//   illegal char: "Caractère illégal dans la zone de saisie, \r\n" + caption + " impossible"
// The text is checked as InputText gives it, accents folded: only ', - and A-Z (and the
// ligatures Œ, Æ) are legal, plus a final "+" for the anagrams; the masked words accept
// any non-empty text.
bool CheckInput(TSearchMode searchMode, const std::string& text, const std::string& caption, std::string& message);

// The typed text as the searches and the word editor take it: the typographic
// apostrophe (0x92, what word processors, phones and web pages give) becomes the
// dictionary's "'", and every capital is lowered (LowerCase).
std::string InputText(const std::string& s);

// Lower-cases every capital of Windows-1252 (A-Z, the accented ones, Æ, Œ, Š, Ž, Ÿ);
// every other byte is kept. The dictionary's words are in lower case, "œil" included.
std::string LowerCase(const std::string& s);

// Puts search text s (lower-cased A-Z here) at the front of the history items (newest
// first): an older item equal to it without regard to case is removed, at most 20
// items are kept. scratch is the shared ResultList: it is cleared, and set unsorted
// when the history held another item, as the searches expect.
void UpdateHistory(std::vector<std::string>& items, ResultList& scratch, const std::string& s);

// The search footer in one update block: an empty line, then
// "Recherche générée par " (style and colour in force), "Lexorama v4.2" in bold, " - ",
// the maker's host in bold blue, and " - Temps écoulé : " + ElapsedTimeText(elapsedMs).
// Style none and colour black are in force afterwards.
void WriteFooter(IResultArea& area, uint32_t elapsedMs);

// ---- Saving the results -------------------------------------------------------------

enum class SaveFormat { PlainText = 0, Rtf = 1 };

// The format of the chosen filter of the file dialog: the text filter (index 0) gives
// plain text, the second gives RTF, whatever the extension of the typed name.
SaveFormat SaveFormatForFilter(int filterIndex);
// The default extension "txt".
inline constexpr const char* kSaveDefaultExtension = "txt";
// The proposed file name: the search text with the characters file names may not hold
// replaced by "_".
std::string ProposedSaveName(const std::string& searchText);
// The extension a name typed without one receives: that of the chosen format, so that
// RTF never lands in a ".txt" file by default.
const char* SaveExtension(SaveFormat format);

// The question before replacing an existing file: warning icon, Oui and Non, Non
// preselected (308); go on only on IDYES.
inline constexpr int kOverwriteFlags = MB_ICONEXCLAMATION | MB_YESNO | MB_DEFBUTTON2;
std::string OverwriteCaption();                          // "Fichier existant"
std::string OverwriteQuestion(const std::string& name);  // "Le fichier " + name + ...

// Whether `path`, by whatever name or link, is the dictionary: the file open as
// `dictionary` (may be null) or the one now under the dictionary's name. Saving the
// results there would destroy it; the window refuses with the message below (flags
// MB_ICONEXCLAMATION = 48).
// `path` is a native (UTF-8) file-system name.
bool IsDictionaryFile(const std::string& path, const ITabStrings* dictionary);
std::string SaveOverDictionaryCaption();                      // "Sauvegarder"
std::string SaveOverDictionaryText(const std::string& name);  // "Le fichier " + name + ...

// ---- Word editor entry ----------------------------------------------------------------

enum class EditorInput { Ignore, Refused, Accepted };
// The search text (not trimmed) for the word editor: Ignore when empty; Refused with
// the message (caption EditorEntryCaption(), flags 48) when InputText of it, accents
// folded, holds anything but ', - and A-Z (and Œ, Æ); else Accepted, and editedWord is
// InputText of it.
EditorInput CheckEditorInput(const std::string& text, std::string& message, std::string& editedWord);
std::string EditorEntryCaption();  // "Inscrire - Corriger un mot"
// The main window's caption after the editor: " Lexorama v4.2 - " + (lineCount - 1) + " mots."
std::string CaptionAfterEdit(int32_t lineCount);

// ---- Updater hand-over ----------------------------------------------------------------

// The updater's program name.
inline constexpr const char* kUpdaterProgram = "Relexo";
// The failure message: caption "Erreur", flags 48.
std::string UpdaterErrorCaption();
std::string UpdaterErrorText();  // "Impossible de lancer RELEXO.EXE,\r\nMise à jour impossible"
