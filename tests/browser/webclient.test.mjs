// The web client in a real browser against the real program, simulated cameras and switcher fakes.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { Rig, ORIGIN, CAMERAS, SCREENSHOT_DIR, waitFor } from './harness.mjs';

const rig = new Rig();
before(async () => { await rig.start(); });
after(async () => { await rig.stop(); });

const PAGES = [
  ['/', 'both'], ['/camera', 'camera'], ['/switcher', 'switcher'],
];
const VIEWPORTS = { desktop: { width: 1400, height: 900 }, phone: { width: 390, height: 844 } };

async function openPage(url, viewport) {
  const page = await rig.newPage(viewport);
  await page.goto(ORIGIN + url, { waitUntil: 'load' });
  return page;
}

function hexStartsWith(packets, prefix, suffix) {
  return packets.find((p) => p.hex.startsWith(prefix) && (!suffix || p.hex.endsWith(suffix)));
}

async function currentCamIndex() {
  return (await (await fetch(`${ORIGIN}/cam/getCurrentCamInfo`)).json()).camIndex;
}

async function selectCamera(page, index) {
  if (await currentCamIndex() === index) {
    // Already current and connected: the page shows it after its next poll.
    await waitFor(() => page.isChecked(`#camera${index + 1}`), 3000, 'camera button');
    return;
  }
  await page.click(`label[for="camera${index + 1}"]`);
  await waitFor(() => rig.sim.lines.some((l) => l.includes(`${CAMERAS[index]} CONNECT`)), 5000, 'camera link');
  // The window reports the camera as connected once its link is up.
  await waitFor(async () => (await currentCamIndex()) === index, 5000, 'current camera');
  await page.waitForTimeout(300);
}

test('every page loads completely with the outside network blocked', async () => {
  for (const theme of ['dark', 'light']) {
    for (const [url, view] of PAGES) {
      for (const [name, viewport] of Object.entries(VIEWPORTS)) {
        const page = await openPage(`${url}?theme=${theme}`, viewport);
        await page.waitForTimeout(700);
        assert.equal(await page.title(), 'Tavimorex');
        assert.equal(await page.evaluate(() => document.body.className), theme);
        assert.match(await page.textContent('footer'), /Tavimorex App Web Interface/);
        assert.deepEqual(page.blocked, [], `${url} ${theme}: outside requests`);
        assert.deepEqual(page.failed, [], `${url} ${theme}: failed requests`);
        assert.deepEqual(page.errors, [], `${url} ${theme}: script errors`);
        await page.screenshot({ path: path.join(SCREENSHOT_DIR, `${theme}-${view}-${name}.png`), fullPage: true });
        await page.context().close();
      }
    }
  }
});

test('theme links switch the page and the stored theme', async () => {
  const page = await openPage('/?theme=dark');
  await page.click('.theme-menu summary');
  // The link loads the page again; wait for the new one, not the state of the one still showing.
  await Promise.all([
    page.waitForURL(/theme=light/, { waitUntil: 'domcontentloaded' }),
    page.click('#themeLight'),
  ]);
  assert.equal(await page.evaluate(() => document.body.className), 'light');
  await page.goto(ORIGIN + '/camera');
  assert.equal(await page.evaluate(() => document.body.className), 'light');
  await page.goto(ORIGIN + '/switcher?theme=dark');
  await page.goto(ORIGIN + '/');
  assert.equal(await page.evaluate(() => document.body.className), 'dark');
  await page.context().close();
});

test('the switcher view still polls the camera paths', async () => {
  const page = await openPage('/switcher');
  const since = Date.now();
  await page.waitForTimeout(1300);
  const recent = page.apiCalls.filter((c) => c.at >= since).map((c) => c.path);
  for (const path of ['/vmix/status', '/cam/getCurrentCamInfo', '/cam/checkImg', '/obs/status']) {
    assert.ok(recent.filter((p) => p === path).length >= 2, `${path} polled`);
  }
  await page.context().close();
});

test('camera buttons select and connect the camera', async () => {
  const page = await openPage('/');
  await selectCamera(page, 1);
  assert.equal(await page.isChecked('#camera2'), true);
  assert.equal(await page.isChecked('#camera1'), false);
  await selectCamera(page, 0);
  assert.equal(await page.isChecked('#camera1'), true);
  await page.context().close();
});

test('a click on Tilt Up moves for about half a second', async () => {
  const page = await openPage('/');
  await selectCamera(page, 0);
  await page.selectOption('#tiltSpeed', '7');
  rig.clearSimLog();
  await page.click('button[title="Tilt Up"]');
  await waitFor(() => hexStartsWith(rig.simPackets(CAMERAS[0]), '81 01 06 01', '03 03 ff'), 3000, 'stop');
  const packets = rig.simPackets(CAMERAS[0]);
  const move = hexStartsWith(packets, '81 01 06 01', '03 01 ff');
  const stop = hexStartsWith(packets, '81 01 06 01', '03 03 ff');
  assert.ok(move, 'move up sent');
  assert.equal(move.hex.split(' ')[5], '07', 'tilt speed 7');
  const gap = stop.at - move.at;
  assert.ok(gap >= 450 && gap < 1500, `stop ${gap} ms after the move`);
  await page.context().close();
});

async function pressButton(page, title) {
  const button = await page.$(`button[title="${title}"]`);
  const box = await button.boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.down();
}

const PAN_LEFT = ['81 01 06 01', '01 03 ff'];
const PAN_TILT_STOP = ['81 01 06 01', '03 03 ff'];
const countOf = (packets, [prefix, suffix]) => packets.filter((p) => p.hex.startsWith(prefix) && p.hex.endsWith(suffix)).length;

test('holding a control button renews its lease until release, then one stop', async () => {
  const page = await openPage('/');
  await selectCamera(page, 0);
  rig.clearSimLog();
  const since = Date.now();
  await pressButton(page, 'Pan Left');
  await page.waitForTimeout(1500);
  const beforeRelease = rig.simPackets(CAMERAS[0]);
  assert.ok(hexStartsWith(beforeRelease, ...PAN_LEFT), 'pan left sent');
  assert.ok(!hexStartsWith(beforeRelease, ...PAN_TILT_STOP), 'no stop while held');
  const starts = page.apiCalls.filter((c) => c.path === '/cam/control' && c.at >= since);
  assert.ok(starts.length >= 4, `renewed every 300 ms while held (${starts.length} starts in 1.5 s)`);
  assert.ok(starts.every((c) => c.params.holdMs === '1000' && c.params.controlMethod === '1'), 'leased pan left');
  await page.mouse.up();
  await waitFor(() => hexStartsWith(rig.simPackets(CAMERAS[0]), ...PAN_TILT_STOP), 3000, 'stop on release');
  const released = Date.now();
  // Past the lease: the program must not stop a second time, nor the page renew after the release.
  await page.waitForTimeout(1300);
  assert.equal(countOf(rig.simPackets(CAMERAS[0]), PAN_TILT_STOP), 1, 'one stop');
  assert.equal(page.apiCalls.filter((c) => c.path === '/cam/control' && c.at > released).length, 0,
    'no renewal after release');
  await page.context().close();
});

test('a held button whose page loses the network stops within 1.3 s of the last renewal', async (t) => {
  const page = await openPage('/');
  await selectCamera(page, 0);
  rig.clearSimLog();
  await pressButton(page, 'Pan Left');
  await page.waitForTimeout(2000);
  // From now on nothing the page sends reaches the program, the release included.
  await page.route('**/cam/**', (route) => route.abort());
  await page.mouse.up();
  const stop = await waitFor(() => hexStartsWith(rig.simPackets(CAMERAS[0]), ...PAN_TILT_STOP), 3000,
    'stop by the program');
  const renewals = page.apiCalls.filter((c) => c.path === '/cam/control');
  const last = renewals[renewals.length - 1];
  const delay = stop.at - last.at;
  t.diagnostic(`program's stop ${delay} ms after the last renewal`);
  assert.ok(delay >= 800 && delay <= 1300, `stop ${delay} ms after the last renewal`);
  assert.ok(countOf(rig.simPackets(CAMERAS[0]), PAN_LEFT) >= 1, 'pan left sent');
  await page.context().close();
});

test('a page closed while a button is held stops the motion at once', async (t) => {
  const page = await openPage('/');
  await selectCamera(page, 0);
  rig.clearSimLog();
  await pressButton(page, 'Zoom In');
  await waitFor(() => hexStartsWith(rig.simPackets(CAMERAS[0]), '81 01 04 07 2'), 3000, 'zoom in');
  const closed = Date.now();
  await page.close();
  const stop = await waitFor(() => hexStartsWith(rig.simPackets(CAMERAS[0]), '81 01 04 07 00 ff'), 3000,
    'zoom stop');
  t.diagnostic(`zoom stop ${stop.at - closed} ms after closing the page`);
  // Well before the lease would run out: the page's own stop, not the program's.
  assert.ok(stop.at - closed < 700, `zoom stop ${stop.at - closed} ms after closing`);
  await page.context().close();
});

test('preset set with a name stores it and shows its picture; recall uses the speed', async () => {
  const page = await openPage('/');
  await selectCamera(page, 0);
  rig.clearSimLog();
  await page.click('label[for="presetModeSet"]');
  await page.click('.preset-btn[data-preset="2"]');
  assert.equal(await page.isVisible('#presetDialog'), true);
  await page.fill('#presetName', 'Pulpit');
  await page.click('#presetOk');
  await waitFor(() => hexStartsWith(rig.simPackets(CAMERAS[0]), '81 01 04 3f 01 02 ff'), 3000, 'set preset 2');
  assert.equal(await page.isChecked('#presetModeRecall'), true);
  await waitFor(async () => (await page.textContent('#presetCaption2')) === 'Pulpit', 5000, 'caption')
    .catch(async (error) => {
      const info = await (await fetch(`${ORIGIN}/cam/getCurrentCamInfo`)).json();
      throw new Error(`${error.message}: caption "${await page.textContent('#presetCaption2')}", `
        + `server presets ${JSON.stringify(info.presets)}, `
        + `checkImg calls ${page.apiCalls.filter((c) => c.path === '/cam/checkImg').length}`);
    });
  // The simulator's picture is 640 wide; the placeholder is smaller.
  await waitFor(() => page.evaluate(() => document.getElementById('presetImg2').naturalWidth === 640), 5000,
    'preset picture');

  rig.clearSimLog();
  await page.selectOption('#presetSpeed', '24');
  await page.click('.preset-btn[data-preset="2"]');
  await waitFor(() => hexStartsWith(rig.simPackets(CAMERAS[0]), '81 01 04 3f 02 02 ff'), 3000, 'recall 2');
  const packets = rig.simPackets(CAMERAS[0]);
  const speed = packets.findIndex((p) => p.hex === '81 01 06 01 18 ff');
  const recall = packets.findIndex((p) => p.hex === '81 01 04 3f 02 02 ff');
  assert.ok(speed >= 0 && speed < recall, 'preset speed (index 23) before the recall');
  await page.context().close();
});

test('camera settings dialog round trip', async () => {
  const page = await openPage('/');
  await page.click('#cameraSettingsBtn');
  await waitFor(async () => (await page.inputValue('#camAddress1')) === CAMERAS[0], 3000, 'settings loaded');
  assert.equal(await page.inputValue('#camName2'), 'Camera2');
  await page.fill('#camName3', 'Stage Left');
  await page.fill('#camAddress3', '127.0.8.9');
  // A new transport fills in its port; a port typed afterwards is kept.
  assert.equal(await page.inputValue('#camTransport3'), 'tcp');
  assert.equal(await page.inputValue('#camPort3'), '5678');
  await page.selectOption('#camTransport3', 'sony-udp');
  assert.equal(await page.inputValue('#camPort3'), '52381');
  // Per-camera keys belong to the camera's address: the unset slots share one, so row 4 gets its own.
  await page.fill('#camAddress4', '127.0.8.10');
  await page.selectOption('#camTransport4', 'udp');
  assert.equal(await page.inputValue('#camPort4'), '1259');
  await page.fill('#camPort4', '1300');
  // Tally sources: stored ones shown, a typed scene, and a vMix input offered from what vMix has now.
  assert.equal(await page.inputValue('#camTallyObs1'), 'Camera 1');
  assert.equal(await page.inputValue('#camTallyVmix2'), 'Camera 2');
  assert.equal(await page.inputValue('#camTallyObs3'), '');
  assert.equal(await page.getAttribute('#camTallyVmix3', 'list'), 'tallyVmixInputs');
  await waitFor(async () => (await page.$$eval('#tallyVmixInputs option', (o) => o.map((x) => x.value)))
    .includes('Camera 1'), 5000, 'vMix inputs offered');
  await page.fill('#camTallyObs3', 'Camera 2');
  await page.fill('#camTallyVmix3', 'Camera 1');
  await page.fill('#camTallyVmix4', '3');
  // A source is at most 200 characters: the field takes no more.
  await page.fill('#camTallyObs4', 'x'.repeat(210));
  assert.equal((await page.inputValue('#camTallyObs4')).length, 200);
  await page.screenshot({ path: path.join(SCREENSHOT_DIR, 'dark-both-desktop-camera-settings.png') });
  await page.click('#cameraSettingsSave');
  assert.equal(await page.isVisible('#cameraSettingsDialog'), false);
  const settings = await waitFor(async () => {
    const data = await (await fetch(`${ORIGIN}/cam/settings`)).json();
    return data.camList[2].camName === 'Stage Left' ? data : null;
  }, 3000, 'saved list');
  assert.equal(settings.camList[2].camId, '127.0.8.9');
  assert.equal(settings.camList[2].transport, 'sony-udp');
  assert.equal(settings.camList[2].port, 52381);
  assert.equal(settings.camList[3].transport, 'udp');
  assert.equal(settings.camList[3].port, 1300);
  assert.equal(settings.camList[0].camId, CAMERAS[0]);
  assert.equal(settings.camList[0].transport, 'tcp');
  assert.equal(settings.camList[0].port, 5678);
  assert.equal(settings.camList[2].tallyObs, 'Camera 2');
  assert.equal(settings.camList[2].tallyVmix, 'Camera 1');
  assert.equal(settings.camList[3].tallyObs, 'x'.repeat(200));
  assert.equal(settings.camList[3].tallyVmix, '3');
  assert.equal(settings.camList[0].tallyObs, 'Camera 1');
  assert.equal(settings.camList[1].tallyVmix, 'Camera 2');
  assert.equal(await page.getAttribute('label[for="camera3"]', 'title'), 'Stage Left');
  // Opened again, the dialog shows what was stored.
  await page.click('#cameraSettingsBtn');
  await waitFor(async () => (await page.inputValue('#camTallyObs3')) === 'Camera 2', 3000, 'sources shown');
  assert.equal(await page.inputValue('#camTallyVmix3'), 'Camera 1');
  assert.equal(await page.inputValue('#camTallyVmix4'), '3');
  await page.context().close();
});

test('a camera listing that arrives while the operator types keeps the edits', async () => {
  const page = await openPage('/');
  await waitFor(async () => (await page.inputValue('#camAddress1')) === CAMERAS[0], 3000, 'settings loaded');
  // The listing asked for when the dialog opens answers only after the operator has typed.
  await page.route('**/cam/settings*', async (route) => {
    await new Promise((resolve) => setTimeout(resolve, 400));
    await route.continue();
  });
  const listed = page.waitForResponse((response) => new URL(response.url()).pathname === '/cam/settings');
  await page.click('#cameraSettingsBtn');
  await page.fill('#camName4', 'Balcony');
  await listed;
  await page.waitForTimeout(100);
  assert.equal(await page.inputValue('#camName4'), 'Balcony');
  await page.context().close();
});

test('OBS volume slider and mute icon', async () => {
  const page = await openPage('/switcher');
  await waitFor(async () => (await page.$$eval('#obsSources option', (o) => o.length)) > 0, 5000, 'OBS sources');
  await page.$eval('#obsVolume', (slider) => {
    slider.value = '50';
    slider.dispatchEvent(new Event('change'));
  });
  const call = await waitFor(() => page.apiCalls.find((c) => c.path === '/obs/sourceVolume'), 3000, 'volume');
  assert.ok(Math.abs(Number(call.params.volume) - -24.08) < 0.01, `volume ${call.params.volume}`);
  await waitFor(() => rig.fakes.lines.some((l) => /SetInputVolume|SetVolume/.test(l) && l.includes('-24.0')),
    3000, 'OBS received the volume');
  await page.context().close();
});

test('vMix transition apply reaches vMix', async () => {
  const page = await openPage('/switcher');
  await page.selectOption('#vmixTransitions', '6');
  await page.click('#vmixApplyTransition');
  await waitFor(() => rig.fakes.lines.some((l) => l.includes('FadeToBlack')), 3000, 'vMix transition');
  await page.context().close();
});

test('mute icons follow the switchers', async () => {
  const page = await openPage('/switcher');
  await waitFor(async () => (await page.$$eval('#obsSources option', (o) => o.length)) > 0, 5000, 'OBS sources');
  const icon = (id) => page.getAttribute(`#${id} use`, 'href');
  assert.equal(await icon('obsMute'), '#i-mic');
  await page.click('#obsMute');
  // OBS mutes the source; the next status shows the crossed-out microphone.
  await waitFor(async () => (await icon('obsMute')) === '#i-mic-off', 3000, 'OBS mute icon');
  await page.click('#obsMute');
  await waitFor(async () => (await icon('obsMute')) === '#i-mic', 3000, 'OBS unmute icon');

  await waitFor(async () => (await page.$$eval('#vmixSources option', (o) => o.length)) > 0, 5000, 'vMix inputs');
  const before = await icon('vmixMasterMute');
  await page.click('#vmixMasterMute');
  await waitFor(async () => (await icon('vmixMasterMute')) !== before, 3000, 'vMix master mute icon');
  await page.context().close();
});

test('camera buttons show tally from OBS and vMix', async () => {
  const page = await openPage('/');
  const tally = (n) => page.getAttribute(`label[for="camera${n}"]`, 'data-tally');
  const ring = (n) => page.$eval(`label[for="camera${n}"]`, (label) => getComputedStyle(label).boxShadow);
  const switchers = async (line) => rig.fakes.send(line, new RegExp(`^control ok ${line}$`));
  const both = async (first, second) => {
    await waitFor(async () => (await tally(1)) === first && (await tally(2)) === second, 5000,
      `tally ${first} ${second}`);
  };

  // OBS starts with "Camera 1" on air; vMix with input 2 in preview, which feeds no camera.
  await switchers('obs5 program Camera 1');
  await switchers('vmix active 1');
  await switchers('vmix preview 2');
  await both('program', 'off');
  assert.match(await ring(1), /rgb\(255, 59, 48\)/);
  assert.ok(page.apiCalls.some((call) => call.path === '/cam/tally'), 'the page polls /cam/tally');

  // vMix puts "Camera 2" (input 3, by title) in preview.
  await switchers('vmix preview Camera 2');
  await both('program', 'preview');
  assert.match(await ring(2), /rgb\(52, 199, 89\)/);
  await selectCamera(page, 0);
  await page.screenshot({ path: path.join(SCREENSHOT_DIR, 'dark-both-desktop-tally.png') });

  // A cut in vMix, OBS away from camera 1: the current camera goes off, camera 2 on air.
  await switchers('vmix active 3');
  await switchers('obs5 program Slides');
  await both('off', 'program');
  assert.equal(await ring(1), 'none');
  const info = await (await fetch(`${ORIGIN}/cam/getCurrentCamInfo`)).json();
  assert.equal(info.tally, 'off');
  const listed = await (await fetch(`${ORIGIN}/cam/tally`)).json();
  assert.equal(listed.status, 'OK');
  assert.deepEqual(listed.cams.slice(0, 2).map((cam) => [cam.id, cam.tally]),
    [[CAMERAS[0], 'off'], [CAMERAS[1], 'program']]);
  await selectCamera(page, 1);
  await page.screenshot({ path: path.join(SCREENSHOT_DIR, 'dark-both-desktop-tally-current-on-air.png') });

  // Back as the other tests expect the switchers.
  await switchers('obs5 program Camera 1');
  await switchers('vmix active 1');
  await switchers('vmix preview 2');
  await both('program', 'off');
  await page.context().close();
});
