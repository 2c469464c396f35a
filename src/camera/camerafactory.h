#pragma once

#include "camerarecord.h"

#include <QList>

class CameraWrapper;

// The one place camera objects are built from stored records, and records read back from cameras.
namespace CameraFactory {

// A new camera for the record; a type this version does not know gets a usable, unconfigured network
// camera so that the cameras after it keep their buttons.
CameraWrapper *create(const CameraRecord &record);
CameraRecord recordOf(const CameraWrapper &camera);
// Empty, or why the list cannot be used: two network cameras on one address and VISCA port. Unset
// slots (no address, or 0.0.0.0) share nothing.
QString sharedLinkProblem(const QList<CameraRecord> &records);

} // namespace CameraFactory
