#pragma once

#include <QImage>
#include <QSize>

#include <memory>

struct mpv_handle;
struct mpv_render_context;

// Draws mpv's video frames into images that the player widget paints. OpenGL where a context can be
// made (Xvfb with Mesa, a real display), mpv's software renderer otherwise (headless, offscreen).
// Lives on the user-interface thread; the update callback may come from any thread.
class MpvFrameRenderer {
public:
    using UpdateCallback = void (*)(void* data);

    // Creates the render context on the handle (before the first file is loaded); raises AppError.
    static std::unique_ptr<MpvFrameRenderer> Create(mpv_handle* handle, UpdateCallback onUpdate,
                                                    void* data);
    virtual ~MpvFrameRenderer();
    MpvFrameRenderer(const MpvFrameRenderer&) = delete;
    MpvFrameRenderer& operator=(const MpvFrameRenderer&) = delete;

    // Whether a new frame waits to be drawn (to call after each update callback).
    bool FrameWaiting();
    // Draws the waiting frame scaled into an image of the given size.
    virtual QImage Render(QSize size) = 0;
    // Takes the waiting frame without drawing it (the video is not on screen).
    void Skip();
    virtual const char* Kind() const = 0;

protected:
    MpvFrameRenderer() = default;
    void Attach(mpv_render_context* context, UpdateCallback onUpdate, void* data);
    // Releases the render context; the OpenGL one needs its context current first.
    void Release();
    // Makes the renderer's own drawing context current, where it has one.
    virtual void MakeCurrent() {}
    mpv_render_context* context_ = nullptr;
};
