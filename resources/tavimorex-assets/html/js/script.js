// Tavimorex web client: drives the cameras and the production switchers through the program's JSON API.
// Plain JavaScript, no libraries: the page must work on a show network without internet access.
'use strict';

(function () {
  const POLL_MS = 500;
  const STOP_DELAY_MS = 500;
  const PRESET_BUTTONS = 6;
  const CAMERA_SLOTS = 8;

  // The button titles select the motion the program starts.
  const CONTROL_METHODS = {
    'Pan Right': 0, 'Pan Left': 1, 'Tilt Up': 2, 'Tilt Down': 3, 'Move Home': 4,
    'Focus In': 5, 'Focus Out': 6, 'Zoom In': 7, 'Zoom Out': 8,
  };

  const byId = (id) => document.getElementById(id);

  // GET path?params (form encoding: percent-escapes, spaces as '+'). Resolves with the reply when its
  // status is "OK"; anything else is ignored by the callers.
  function api(path, params) {
    const query = params ? '?' + new URLSearchParams(params).toString() : '';
    return fetch(path + query, { cache: 'no-store' })
      .then((reply) => reply.json())
      .then((data) => (data && data.status === 'OK' ? data : Promise.reject(new Error('not OK'))));
  }

  function quietly(promise) {
    return promise.catch(() => undefined);
  }

  function setMuteIcon(button, muted) {
    if (!button) return;
    const use = button.querySelector('use');
    if (use) use.setAttribute('href', muted ? '#i-mic-off' : '#i-mic');
    button.classList.toggle('muted', !!muted);
    button.setAttribute('aria-pressed', muted ? 'true' : 'false');
  }

  function fillSelect(select, items) {
    select.replaceChildren(...items.map(([value, text]) => {
      const option = document.createElement('option');
      option.value = value;
      option.textContent = text;
      return option;
    }));
  }

  function setText(id, text) {
    const element = byId(id);
    if (element) element.textContent = text;
  }

  function openDialog(dialog) {
    if (dialog && !dialog.open) dialog.showModal();
  }

  function closeDialog(dialog) {
    if (dialog && dialog.open) dialog.close();
  }

  // ---- Camera section -------------------------------------------------------------------------

  const camera = {
    info: { camIndex: -1, presets: [], camId: '', focusAuto: false },
    previousIndex: -1,
    previousFocusAuto: false,
    presetNum: 0,
  };

  function speed(id) {
    const select = byId(id);
    return select ? Number(select.value) || 1 : 1;
  }

  function speeds() {
    return {
      panSpeed: speed('panSpeed'), tiltSpeed: speed('tiltSpeed'),
      zoomSpeed: speed('zoomSpeed'), focusSpeed: speed('focusSpeed'),
    };
  }

  function cameraButton(index) {
    return byId('camera' + (index + 1));
  }

  function selectCameraButton(index) {
    for (let i = 0; i < CAMERA_SLOTS; ++i) {
      const button = cameraButton(i);
      if (button) button.checked = i === index;
    }
  }

  // Tally borders: red on air (program), green next (preview), none when off.
  const TALLY_CLASSES = { program: 'tally-program', preview: 'tally-preview' };

  function showTally(index, state) {
    const label = document.querySelector('label[for="camera' + (index + 1) + '"]');
    if (!label) return;
    for (const [name, cls] of Object.entries(TALLY_CLASSES)) label.classList.toggle(cls, state === name);
    label.dataset.tally = TALLY_CLASSES[state] ? state : 'off';
  }

  function requestTally() {
    return quietly(api('/cam/tally').then((data) => {
      const cams = Array.isArray(data.cams) ? data.cams : [];
      cams.slice(0, CAMERA_SLOTS).forEach((cam, i) => showTally(i, String(cam.tally || 'off')));
    }));
  }

  function setCameraTooltip(index, name) {
    const label = document.querySelector('label[for="camera' + (index + 1) + '"]');
    if (label) label.title = name;
  }

  function presetCaption(n) {
    const presets = camera.info.presets || [];
    return presets[n - 1] !== undefined ? String(presets[n - 1]) : 'Preset ' + n;
  }

  function presetPictureUrl(n) {
    return '/assets?' + new URLSearchParams({
      _type: 'preset', _name: (camera.info.camId || '') + n + '.jpg', _time: String(Date.now()),
    }).toString();
  }

  function refreshPresetCaptions() {
    for (let n = 1; n <= PRESET_BUTTONS; ++n) setText('presetCaption' + n, presetCaption(n));
  }

  function refreshPresetPictures() {
    for (let n = 1; n <= PRESET_BUTTONS; ++n) {
      const img = byId('presetImg' + n);
      if (img) img.src = presetPictureUrl(n);
    }
    refreshPresetCaptions();
  }

  function onCurrentCamInfo(data, initialising) {
    camera.info = {
      camIndex: Number(data.camIndex),
      presets: Array.isArray(data.presets) ? data.presets : [],
      camId: String(data.camId || ''),
      focusAuto: data.focusAuto === true,
    };
    if (camera.info.camIndex >= 0) showTally(camera.info.camIndex, String(data.tally || 'off'));
    const changed = camera.info.camIndex !== camera.previousIndex
      || camera.info.focusAuto !== camera.previousFocusAuto;
    camera.previousIndex = camera.info.camIndex;
    camera.previousFocusAuto = camera.info.focusAuto;
    if (!initialising && !changed) {
      // Names set from another browser or from the window show at once; replies may also arrive out of
      // order, so a picture refresh can run on names older than this reply.
      refreshPresetCaptions();
      return;
    }
    selectCameraButton(camera.info.camIndex);
    refreshPresetPictures();
    const autoFocus = byId('autoFocus');
    if (autoFocus) autoFocus.checked = camera.info.focusAuto;
  }

  function requestCurrentCamInfo(initialising) {
    return quietly(api('/cam/getCurrentCamInfo').then((data) => onCurrentCamInfo(data, initialising)));
  }

  // Set once the operator changes a field of the camera settings dialog, cleared when it opens: a listing
  // that arrives while they type must not put the stored values back over their edits.
  let cameraSettingsEdited = false;

  function applyCameraSettings(data) {
    const cams = Array.isArray(data.camList) ? data.camList : [];
    const devices = Array.isArray(data.usbDevices) ? data.usbDevices : [];
    cams.slice(0, CAMERA_SLOTS).forEach((cam, i) => {
      const row = i + 1;
      const name = String(cam.camName || '');
      setCameraTooltip(i, name);
      const nameField = byId('camName' + row);
      if (!nameField || cameraSettingsEdited) return;
      nameField.value = name;
      byId('camAddress' + row).value = cam.isUsbCam ? '0.0.0.0' : String(cam.camId || '');
      const deviceList = byId('camUsbDevice' + row);
      fillSelect(deviceList, devices.map((device) => [device, device]));
      if (cam.isUsbCam) deviceList.value = String(cam.camId || '');
      const transport = VISCA_PORTS[cam.transport] ? cam.transport : 'tcp';
      byId('camTransport' + row).value = transport;
      byId('camPort' + row).value = String(Number.isInteger(cam.port) ? cam.port : VISCA_PORTS[transport]);
      byId('camTallyObs' + row).value = String(cam.tallyObs || '');
      byId('camTallyVmix' + row).value = String(cam.tallyVmix || '');
      byId(cam.isUsbCam ? 'camUsb' + row : 'camIp' + row).checked = true;
      updateCameraRow(row);
    });
  }

  // The usual VISCA port of each transport, filled in when the transport changes.
  const VISCA_PORTS = { tcp: 5678, udp: 1259, 'sony-udp': 52381 };

  function updateCameraRow(row) {
    const usb = byId('camUsb' + row);
    if (!usb) return;
    const isUsb = usb.checked;
    byId('camAddress' + row).disabled = isUsb;
    byId('camTransport' + row).disabled = isUsb;
    byId('camPort' + row).disabled = isUsb;
    byId('camUsbDevice' + row).disabled = !isUsb;
  }

  function onCameraTransportChanged(row) {
    byId('camPort' + row).value = String(VISCA_PORTS[byId('camTransport' + row).value] || 5678);
  }

  // Each save starts a new generation; a listing asked for before the save must not put the old names
  // back when its reply arrives after it.
  let cameraSettingsGeneration = 0;

  function requestCameraSettings() {
    const generation = cameraSettingsGeneration;
    return quietly(api('/cam/settings').then((data) => {
      if (generation === cameraSettingsGeneration) applyCameraSettings(data);
    }));
  }

  function saveCameraSettings() {
    const list = [];
    for (let row = 1; row <= CAMERA_SLOTS; ++row) {
      const isUsb = byId('camUsb' + row).checked;
      const name = byId('camName' + row).value;
      const camId = isUsb ? byId('camUsbDevice' + row).value : byId('camAddress' + row).value;
      const entry = {
        isUsb: isUsb, name: name, camId: camId,
        tallyObs: byId('camTallyObs' + row).value, tallyVmix: byId('camTallyVmix' + row).value,
      };
      if (!isUsb) {
        entry.transport = byId('camTransport' + row).value;
        entry.port = Number(byId('camPort' + row).value);
      }
      list.push(entry);
      setCameraTooltip(row - 1, name);
    }
    ++cameraSettingsGeneration;
    quietly(api('/cam/saveSettings', { camList: JSON.stringify(list) }));
    closeDialog(byId('cameraSettingsDialog'));
  }

  // A control button moves the camera while it is held; a short click gives a half-second motion:
  // the stop goes out 500 ms after the program confirmed the start, or on release if that is later.
  // A held motion is a lease the page renews: should the release never reach the program (the phone
  // leaves the Wi-Fi, the tab is killed), the program stops the camera itself once HOLD_MS pass
  // without a renewal.
  const HOLD_MS = 1000;
  const RENEW_MS = 300;
  const MOVE_HOME = 4;
  const runningMotions = new Set();

  // A stop that must leave even while the page is going away.
  function sendStopNow(method) {
    const query = new URLSearchParams({ controlMethod: method }).toString();
    quietly(fetch('/cam/stopControl?' + query, { cache: 'no-store', keepalive: true }));
  }

  function startControl(method) {
    const motion = { method: method, released: false, stopDue: false, stopped: false };
    const leased = method !== MOVE_HOME;
    const params = () => Object.assign({ controlMethod: method }, speeds(), leased ? { holdMs: HOLD_MS } : {});
    let renewal = null;
    const endRenewal = () => {
      if (renewal !== null) clearInterval(renewal);
      renewal = null;
    };
    const stop = (urgent) => {
      if (motion.stopped) return;
      motion.stopped = true;
      endRenewal();
      runningMotions.delete(motion);
      if (urgent) {
        sendStopNow(method);
      } else {
        quietly(api('/cam/stopControl', { controlMethod: method }));
      }
    };
    motion.release = () => {
      motion.released = true;
      endRenewal();
      if (motion.stopDue) stop(false);
    };
    motion.abandon = () => stop(true);
    runningMotions.add(motion);
    quietly(api('/cam/control', params()).then(() => {
      setTimeout(() => {
        motion.stopDue = true;
        if (motion.released) stop(false);
      }, STOP_DELAY_MS);
    }));
    if (leased) {
      renewal = setInterval(() => {
        if (!motion.released && !motion.stopped) quietly(api('/cam/control', params()));
      }, RENEW_MS);
    }
    return motion;
  }

  // A page that is hidden or closed will not see the release: stop whatever it moves now.
  function abandonRunningMotions() {
    Array.from(runningMotions).forEach((motion) => motion.abandon());
  }
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') abandonRunningMotions();
  });
  window.addEventListener('pagehide', abandonRunningMotions);

  function bindControlButton(button) {
    const method = CONTROL_METHODS[button.title];
    if (method === undefined) return;
    let motion = null;
    const release = () => {
      if (!motion) return;
      motion.release();
      motion = null;
      button.classList.remove('active');
    };
    button.addEventListener('pointerdown', (event) => {
      if (event.button !== 0 || motion) return;
      event.preventDefault();
      button.setPointerCapture(event.pointerId);
      button.classList.add('active');
      motion = startControl(method);
    });
    button.addEventListener('pointerup', release);
    button.addEventListener('pointercancel', release);
    button.addEventListener('lostpointercapture', release);
    button.addEventListener('contextmenu', (event) => event.preventDefault());
    // Keyboard activation has no press and release: a click gives the half-second motion.
    button.addEventListener('click', (event) => {
      if (event.detail === 0) startControl(method).release();
    });
  }

  function presetMode() {
    const set = byId('presetModeSet');
    return set && set.checked ? 'set' : 'recall';
  }

  function onPresetButton(n) {
    if (presetMode() === 'set') {
      camera.presetNum = n;
      byId('presetName').value = byId('presetCaption' + n).textContent;
      byId('presetUseCaptured').checked = true;
      byId('presetPreview').src = byId('presetImg' + n).src;
      openDialog(byId('presetDialog'));
      return;
    }
    quietly(api('/cam/recallPreset', { presetNum: n, callSpeed: speed('presetSpeed') }));
  }

  function onPresetOk() {
    quietly(api('/cam/setPreset', {
      presetNum: camera.presetNum, presetName: byId('presetName').value, isUploadImage: false,
    }));
    byId('presetModeRecall').checked = true;
    closeDialog(byId('presetDialog'));
  }

  function initCameraSection() {
    if (!byId('cameraSection')) return;
    document.querySelectorAll('.speeds select').forEach((select) => {
      const max = Number(select.dataset.max);
      const items = [];
      for (let v = 1; v <= max; ++v) items.push([v, v]);
      fillSelect(select, items);
      select.value = '1';
    });
    for (let i = 0; i < CAMERA_SLOTS; ++i) {
      cameraButton(i).addEventListener('change', () => quietly(api('/cam/connect', { camNum: i })));
    }
    document.querySelectorAll('#controlPad .ctrl-btn').forEach(bindControlButton);
    byId('autoFocus').addEventListener('change', (event) => {
      quietly(api('/cam/focusAuto', { focusAuto: event.target.checked ? 'true' : 'false' }));
    });
    document.querySelectorAll('.preset-btn').forEach((button) => {
      button.addEventListener('click', () => onPresetButton(Number(button.dataset.preset)));
    });
    byId('cameraRefreshBtn').addEventListener('click', () => {
      requestCameraSettings();
      selectCameraButton(camera.info.camIndex);
      refreshPresetPictures();
    });
    const settingsDialog = byId('cameraSettingsDialog');
    if (settingsDialog) {
      byId('cameraSettingsBtn').addEventListener('click', () => {
        cameraSettingsEdited = false;
        requestCameraSettings();
        openDialog(settingsDialog);
      });
      const noteEdit = () => {
        cameraSettingsEdited = true;
      };
      settingsDialog.addEventListener('input', noteEdit);
      settingsDialog.addEventListener('change', noteEdit);
      byId('cameraSettingsSave').addEventListener('click', saveCameraSettings);
      for (let row = 1; row <= CAMERA_SLOTS; ++row) {
        byId('camIp' + row).addEventListener('change', () => updateCameraRow(row));
        byId('camUsb' + row).addEventListener('change', () => updateCameraRow(row));
        byId('camTransport' + row).addEventListener('change', () => onCameraTransportChanged(row));
        updateCameraRow(row);
      }
    }
    const presetDialog = byId('presetDialog');
    if (presetDialog) {
      byId('presetOk').addEventListener('click', onPresetOk);
      byId('presetUpload').addEventListener('change', () => byId('presetFile').click());
      byId('presetUseCaptured').addEventListener('change', () => {
        byId('presetPreview').src = byId('presetImg' + camera.presetNum).src;
      });
      // The chosen picture only shows in the dialog; nothing is uploaded.
      byId('presetFile').addEventListener('change', (event) => {
        const file = event.target.files && event.target.files[0];
        if (file) byId('presetPreview').src = URL.createObjectURL(file);
      });
    }
  }

  // ---- OBS ------------------------------------------------------------------------------------

  const obs = { sources: [], transitions: [], currentTransition: '' };

  // OBS volumes are decibels; the slider shows them on a fourth-root scale so that its middle is
  // where people expect half volume. OBS treats anything below -100 dB as silence.
  const OBS_MIN_DB = -100;
  const obsSliderFromDb = (db) => 100 * Math.pow(Math.pow(10, db / 20), 1 / 4);
  function obsDbFromSlider(value) {
    const db = 20 * Math.log10(Math.pow(value / 100, 4));
    return Number.isFinite(db) ? Math.max(db, OBS_MIN_DB) : OBS_MIN_DB;
  }

  function selectedObsSource() {
    const select = byId('obsSources');
    return select ? obs.sources[Number(select.value)] : undefined;
  }

  function showObsSource() {
    const source = selectedObsSource();
    if (!source) return;
    byId('obsVolume').value = obsSliderFromDb(Number(source.volume));
    setMuteIcon(byId('obsMute'), source.muted === true);
  }

  function rebuildObsSources() {
    fillSelect(byId('obsSources'), obs.sources.map((source, i) => [i, source.name]));
    byId('obsSources').value = '0';
    showObsSource();
  }

  function rebuildObsTransitions() {
    const select = byId('obsTransitions');
    fillSelect(select, obs.transitions.map((name) => [name, name]));
    select.value = obs.currentTransition;
  }

  function onObsStatus(data, initialising) {
    setText('obsStreamingStatus', data.isStreaming ? 'Streaming ...' : 'No Streaming ...');
    setText('obsRecordingStatus', data.isRecording ? 'Recording ...' : 'No Recording ...');
    obs.sources = Array.isArray(data.sources) ? data.sources : [];
    obs.transitions = Array.isArray(data.transitions) ? data.transitions.map(String) : [];
    obs.currentTransition = String(data.currentTransition || '');
    if (!byId('obsPanel')) return;
    if (initialising) {
      rebuildObsSources();
      rebuildObsTransitions();
    }
    const source = selectedObsSource();
    if (source) setMuteIcon(byId('obsMute'), source.muted === true);
  }

  function requestObsStatus(initialising) {
    return quietly(api('/obs/status').then((data) => onObsStatus(data, initialising)));
  }

  function initObs() {
    if (!byId('obsPanel')) return;
    byId('obsSources').addEventListener('change', showObsSource);
    byId('obsSourcesRefresh').addEventListener('click', rebuildObsSources);
    byId('obsTransitionsRefresh').addEventListener('click', rebuildObsTransitions);
    byId('obsVolume').addEventListener('change', (event) => {
      const source = selectedObsSource();
      if (!source) return;
      quietly(api('/obs/sourceVolume', {
        sourceName: source.name, volume: obsDbFromSlider(Number(event.target.value)),
      }));
    });
    byId('obsMute').addEventListener('click', () => {
      const source = selectedObsSource();
      if (source) quietly(api('/obs/sourceMuted', { sourceName: source.name }));
    });
    byId('obsTransitions').addEventListener('change', (event) => {
      quietly(api('/obs/transition', { transition: event.target.value }));
    });
    byId('obsStreaming').addEventListener('click', () => quietly(api('/obs/toggleStreaming')));
    byId('obsRecording').addEventListener('click', () => quietly(api('/obs/toggleRecording')));
    const dialog = byId('obsSettingsDialog');
    if (dialog) {
      byId('obsSettingsBtn').addEventListener('click', () => {
        quietly(api('/obs/settings').then((data) => {
          byId('obsIp').value = String(data.obsIp || '');
          byId('obsPort').value = String(data.obsPort || '');
        }));
        openDialog(dialog);
      });
      byId('obsSaveReconnect').addEventListener('click', () => {
        quietly(api('/obs/saveReconnect', {
          obsIp: byId('obsIp').value, obsPort: byId('obsPort').value, obsPwd: byId('obsPwd').value,
        }));
        closeDialog(dialog);
      });
    }
  }

  // ---- vMix -----------------------------------------------------------------------------------

  const vmix = { inputs: [], masterVolume: 0, masterMuted: false };
  const vmixSliderFromVolume = (volume) => Math.pow(volume * 1e6, 1 / 4);

  function selectedVmixInput() {
    const select = byId('vmixSources');
    return select ? vmix.inputs[Number(select.value)] : undefined;
  }

  function showVmixInput() {
    const input = selectedVmixInput();
    if (!input) return;
    const slider = byId('vmixSourceVolume');
    const volume = String(input.inputVolume || '');
    slider.disabled = volume === '';
    if (volume !== '') slider.value = vmixSliderFromVolume(Number(volume));
    setMuteIcon(byId('vmixSourceMute'), input.inputVolumeMuted === true);
  }

  function showVmixMaster() {
    byId('vmixMasterVolume').value = vmixSliderFromVolume(Number(vmix.masterVolume) || 0);
    setMuteIcon(byId('vmixMasterMute'), vmix.masterMuted);
  }

  function rebuildVmixLists() {
    const items = vmix.inputs.map((input, i) => [i, input.inputName]);
    fillSelect(byId('vmixSources'), items);
    fillSelect(byId('vmixPreview'), items);
    byId('vmixSources').value = '0';
    showVmixInput();
    showVmixMaster();
  }

  function onVmixStatus(data, initialising) {
    vmix.masterVolume = Number(data.masterVolume) || 0;
    vmix.masterMuted = data.masterVolumeMuted === true;
    vmix.inputs = Array.isArray(data.inputs) ? data.inputs : [];
    fillTallyInputChoices();
    if (!byId('vmixPanel')) return;
    if (initialising) rebuildVmixLists();
    setText('vmixStreamingStatus', data.isStreaming ? 'Streaming...' : 'No Streaming...');
    setText('vmixRecordingStatus', data.isRecording ? 'Recording...' : 'No Recording...');
    setText('vmixPlayListStatus', data.isPlayListOn ? 'PlayList On...' : 'PlayList Off...');
    setMuteIcon(byId('vmixMasterMute'), vmix.masterMuted);
    const input = selectedVmixInput();
    if (input) setMuteIcon(byId('vmixSourceMute'), input.inputVolumeMuted === true);
  }

  // The camera settings' vMix tally fields offer the inputs vMix has now; any other text may be typed.
  function fillTallyInputChoices() {
    const list = byId('tallyVmixInputs');
    if (!list) return;
    const names = [...new Set(vmix.inputs.map((input) => String(input.inputName || '')).filter(Boolean))];
    const shown = [...list.options].map((option) => option.value);
    if (shown.length === names.length && shown.every((name, i) => name === names[i])) return;
    list.replaceChildren(...names.map((name) => {
      const option = document.createElement('option');
      option.value = name;
      return option;
    }));
  }

  function requestVmixStatus(initialising) {
    return quietly(api('/vmix/status').then((data) => onVmixStatus(data, initialising)));
  }

  function initVmix() {
    if (!byId('vmixPanel')) return;
    byId('vmixSources').addEventListener('change', showVmixInput);
    byId('vmixSourcesRefresh').addEventListener('click', rebuildVmixLists);
    byId('vmixSourceVolume').addEventListener('change', (event) => {
      const input = selectedVmixInput();
      if (!input) return;
      quietly(api('/vmix/sourceVolume', { sourceName: input.inputKey, volume: event.target.value }));
    });
    byId('vmixMasterVolume').addEventListener('change', (event) => {
      quietly(api('/vmix/masterVolume', { volume: event.target.value }));
    });
    byId('vmixSourceMute').addEventListener('click', () => {
      const input = selectedVmixInput();
      if (input) quietly(api('/vmix/sourceMuted', { sourceName: input.inputKey }));
    });
    byId('vmixMasterMute').addEventListener('click', () => quietly(api('/vmix/masterMuted')));
    byId('vmixSetPreview').addEventListener('click', () => {
      const input = vmix.inputs[Number(byId('vmixPreview').value)];
      if (input) quietly(api('/vmix/setPreview', { sourceName: input.inputKey }));
    });
    byId('vmixApplyTransition').addEventListener('click', () => {
      quietly(api('/vmix/transition', { transition: byId('vmixTransitions').value }));
    });
    byId('vmixStreaming').addEventListener('click', () => quietly(api('/vmix/toggleStreaming')));
    byId('vmixRecording').addEventListener('click', () => quietly(api('/vmix/toggleRecording')));
    byId('vmixPlayList').addEventListener('click', () => quietly(api('/vmix/togglePlayList')));
    const dialog = byId('vmixSettingsDialog');
    if (dialog) {
      byId('vmixSettingsBtn').addEventListener('click', () => {
        quietly(api('/vmix/settings').then((data) => {
          byId('vmixIp').value = String(data.vmixIp || '');
          byId('vmixPort').value = String(data.vmixPort || '');
          byId('vmixId').value = String(data.vmixId || '');
        }));
        openDialog(dialog);
      });
      byId('vmixSaveReconnect').addEventListener('click', () => {
        quietly(api('/vmix/saveReconnect', {
          vmixIp: byId('vmixIp').value, vmixPort: byId('vmixPort').value,
          vmixId: byId('vmixId').value, vmixPwd: byId('vmixPwd').value,
        }));
        closeDialog(dialog);
      });
    }
  }

  // ---- Page -----------------------------------------------------------------------------------

  function initPanelsToggles() {
    [['obsControls', 'obsPanel'], ['vmixControls', 'vmixPanel']].forEach(([checkId, panelId]) => {
      const check = byId(checkId);
      const panel = byId(panelId);
      if (!check || !panel) return;
      check.addEventListener('change', () => { panel.hidden = !check.checked; });
    });
    document.querySelectorAll('dialog [data-close]').forEach((button) => {
      button.addEventListener('click', () => closeDialog(button.closest('dialog')));
    });
    const view = document.body.dataset.view;
    document.querySelectorAll('[data-view-link]').forEach((link) => {
      if (link.dataset.viewLink === view) link.setAttribute('aria-current', 'page');
    });
  }

  function poll() {
    requestVmixStatus(false);
    requestCurrentCamInfo(false);
    requestTally();
    quietly(api('/cam/checkImg').then((data) => {
      if (data.downloaded === true) refreshPresetPictures();
    }));
    requestObsStatus(false);
  }

  function start() {
    initPanelsToggles();
    initCameraSection();
    initObs();
    initVmix();
    requestVmixStatus(true);
    requestObsStatus(true);
    requestCurrentCamInfo(true);
    requestTally();
    requestCameraSettings();
    setInterval(poll, POLL_MS);
  }

  if (document.readyState === 'loading') {
    document.addEventListener('DOMContentLoaded', start);
  } else {
    start();
  }
})();
