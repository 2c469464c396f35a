#pragma once

#include "tallystate.h"

#include <QString>

// The control window's own style sheets, in the dark style's colours (the window's sheet itself is
// DarkStyle's): the two camera-button looks and the picture styles of the image buttons and preset
// buttons.
namespace MainWindowStyle {

// Where a state's third of a three-state sprite sits in the button's background.
enum class SpritePart { Top, Center, Bottom };

// A camera button that is not the current camera / the current camera's button.
QString cameraButtonStyle();
QString currentCameraButtonStyle();
// Either look with the border of the camera's tally: red on air, green in preview, none when off.
QString cameraButtonStyle(bool current, TallyState tally);

QString logoStyle();

// An image button: the picture ":/tavimorex-assets/img/<picture>" as background, one sprite part for each
// of the normal, hovered and pressed states.
QString imageButtonStyle(
    const QString &picture, int width, int height, SpritePart normal, SpritePart hovered, SpritePart pressed);

// The nine direction buttons, zoom and focus buttons (44 x 44, normal/hover/pressed = top/centre/bottom).
QString padButtonStyle(const QString &picture);
// The preview window button (30 x 30, normal/hover/pressed = centre/bottom/top).
QString previewButtonStyle();
// The three scene buttons (60 x 30, normal/hover/pressed = bottom/centre/top).
QString sceneButtonStyle(const QString &picture);

// A preset button without a picture, and one showing the picture file at path.
QString presetButtonStyle();
QString presetPictureButtonStyle(const QString &path);

} // namespace MainWindowStyle
