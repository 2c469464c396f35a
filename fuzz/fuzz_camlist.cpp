// The camera list of "/cam/saveSettings" as the browser page sends it: arbitrary text as the decoded
// "camList" value, into the application's own API slot. Every call must answer its response, and after
// it the program must still hold its eight camera slots with a settings file that reads back the same.

#include "appsettings.h"
#include "camerafactory.h"
#include "camerawrapper.h"
#include "fuzzsupport.h"
#include "httpresponse.h"
#include "tavimorexapp.h"
#include "webapi.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {

TavimorexApp *s_app = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::prepareEnvironment("camlist");
    s_app = new TavimorexApp(*argc, *argv);
    FuzzSupport::pump();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString camList = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    HttpResponse resp;
    s_app->webApi()->onSaveCameraSettings(&resp, camList);
    if (!resp.isFinished())
        FuzzSupport::fail(QStringLiteral("/cam/saveSettings left its response open"));
    if (s_app->cameras().size() < 8)
        FuzzSupport::fail(QStringLiteral("the program holds %1 cameras").arg(s_app->cameras().size()));

    // The list the program now holds is the one a restart would read.
    const QList<CameraRecord> stored = s_app->settings()->readCameraRecords();
    const QList<CameraWrapper *> held = s_app->cameras();
    for (int i = 0; i < stored.size(); ++i) {
        const CameraWrapper *b = held.value(i);
        if (!b || !(CameraFactory::recordOf(*b) == stored.at(i))) {
            FuzzSupport::fail(
                QStringLiteral("camera %1 differs between the program and its settings").arg(i));
        }
    }
    // The replaced cameras go with deferred deletion.
    FuzzSupport::pump();
    return 0;
}
