#pragma once

#include <QString>

// The program's data folder ("tavimorex-controller" in the writable application-data location) and the
// folders and files in it that several parts of the program share.
namespace DataPaths {

QString dataFolder();
QString downloadsFolder();
QString settingsFile();
QString usbPresetsFile();
QString logFile();

// Creates the data folder and its downloads folder when they are missing.
void ensureFolders();

} // namespace DataPaths
