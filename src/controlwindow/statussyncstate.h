#pragma once

// Where the control window stands in loading its exposure widgets from a newly connected camera.
enum class StatusSyncState {
    // A camera has just connected and has not finished its first full status poll.
    AwaitingFirstCycle,
    // The first poll cycle is complete: the next status update loads the exposure and image widgets,
    // and their handlers send nothing back to the camera meanwhile.
    LoadOnNextStatus,
    // Normal operation (also the state after a disconnection).
    Synced,
};
