#pragma once

#include <QString>

// The file that holds the picture of preset presetNum of a camera: "snapshot_" + camera id + preset number
// + ".jpg" in the downloads folder of the data folder. Empty when the camera id cannot be part of a file
// name there (see snapshotFileNameProblem), so that no caller reads or writes outside that folder.
QString snapshotFilePath(const QString &cameraId, int presetNum);

// Why cameraId cannot name a preset picture (a path separator, a parent step or a NUL character in it),
// or an empty string when it can.
QString snapshotFileNameProblem(const QString &cameraId);
