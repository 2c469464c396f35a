#pragma once

#include <QString>

class AppSettings;

// What the program keeps about one preset of one camera outside the camera itself: the picture file in
// the downloads folder, and the name and the eight exposure values in the settings store. The main window
// clears them when the preset setting dialog asks it to.
namespace PresetRecord {

// Deletes the picture of preset presetNum of the camera. True when no such picture exists afterwards
// (also when there was none); false when the file could not be removed or the id cannot name a picture.
bool removePicture(const QString &cameraId, int presetNum);

// Forgets what was stored with preset presetNum of the camera: an empty name, and 0 for each of the
// exposure mode, shutter, iris, brightness, luminance, contrast, hue and white balance values.
void clearStored(AppSettings *settings, const QString &cameraId, int presetNum);

} // namespace PresetRecord
