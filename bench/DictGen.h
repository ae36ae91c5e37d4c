// A deterministic, dictionary-shaped file for the benchmarks: Windows-1252 lines
// "form TAB lemma TAB KEY TAB * CODE" ended by CR LF, a version line first and last.
//
// The generated words use no k, w, x or y, so every word that holds one of those
// letters is unknown to the body. The known entries below are written, in this order,
// just before the closing version line, so a search for them runs through the whole
// file and finds exactly them; "wombat" (and its key ABMOTW) occurs nowhere.
#pragma once

#include <string>
#include <vector>

struct TKnownEntry {
    std::string Form;   // Windows-1252
    std::string Lemma;  // "0": the form itself
    std::string Code;
};

// xylophone, xylophones (N11/N12), kayakiste (N11), zygomatique (J11/J21), wagonnet
// (N11), yaourt (N11), and the verb zézayer with zézaye, zézayons, zézayait, zézayé.
const std::vector<TKnownEntry>& KnownDictionaryEntries();

// The version the generated file carries on its first and last line.
constexpr const char* GeneratedDictionaryVersion = "LEX26999";

// Writes `lines` lines (version lines included; at least the known entries plus two)
// to path, replacing the file, and returns path. The same arguments always give the
// same bytes. Throws std::runtime_error when the file cannot be written.
std::string GenerateDictionary(const std::string& path, int lines = 600000);
