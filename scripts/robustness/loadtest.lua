-- wrk script of scripts/loadtest.sh: keep-alive clients cycling through the API calls the browser page
-- makes, the reading ones and one control call that does nothing without a connected camera.
local paths = {
  "/cam/getCurrentCamInfo",
  "/obs/status",
  "/vmix/status",
  "/cam/checkImg",
  "/cam/settings",
  "/vmix/settings",
  "/obs/settings",
  "/cam/control?controlMethod=9&panSpeed=1&tiltSpeed=1&zoomSpeed=1&focusSpeed=1",
}
local counter = 0

request = function()
  counter = counter + 1
  return wrk.format("GET", paths[(counter % #paths) + 1])
end
