// The window side of the search driver (app/core/SearchDriver): the save dialog's
// filters and names, writing the result area to a file, and starting the updater
// process. What needs no Qt stays in the driver.
#pragma once

#include <string>

#include <QString>

#include "SearchDriver.h"

class RichEditResultArea;

// ---- Saving the results -------------------------------------------------------------

// The two filters, text first, as the file dialog takes them:
// "Format texte (*.txt)" and "Format rtf (*.rtf)" joined by ";;".
QString SaveFilter();
// The filter of a format, as SaveFilter() holds it (to preselect or compare).
QString SaveFilterName(SaveFormat format);
// The format of the chosen filter, by its name (see SaveFormatForFilter(int)).
SaveFormat SaveFormatForFilter(const QString& selectedFilter);
// A name typed without an extension receives that of the chosen format (SaveExtension),
// so that RTF never lands in a ".txt" file by default.
QString CompleteSaveName(const QString& name, SaveFormat format);

// Writes the whole result area to path in the format, replacing the file safely
// (see WriteFileReplacing). Throws std::runtime_error with a French message.
void SaveResults(const QString& path, SaveFormat format, const RichEditResultArea& area);

// ---- Updater hand-over ----------------------------------------------------------------

// Starts the updater detached in the current folder with the arguments "ViaMainShell"
// and version. The program is "Relexo" in the current folder, else beside the running
// program, else found on the PATH. False when it cannot be started.
bool StartUpdater(const std::string& version);
// For tests: the folder searched first instead of the running program's folder, and
// the program name instead of "Relexo" (so that no process of the updater's name runs
// while other tests look for one). Empty texts restore the defaults.
void SetUpdaterLookup(const QString& folder, const QString& program);
