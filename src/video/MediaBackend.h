#pragma once
// Qt Multimedia's backend for the video window's player, chosen in one place before the first
// player exists. Debian's GStreamer backend plays no AVI without extra plug-ins and, with
// plug-ins missing, crashes while building its pipeline; so the player uses the FFmpeg backend
// unless QT_MEDIA_BACKEND names another. Qt Multimedia aborts when a player is made without a
// backend, so the video window asks first: without one there is no playback, and frame
// extraction (which uses FFmpeg's libraries directly) still works.

namespace framora {

// Sets QT_MEDIA_BACKEND to "ffmpeg" when it is unset and keeps the FFmpeg backend's start-up
// chatter off stderr. Idempotent; takes effect only before the first QMediaPlayer is made.
void ChooseMediaBackend();

// Whether the chosen backend's plug-in is installed and loads. Asked once per process.
bool MediaBackendAvailable();

} // namespace framora
