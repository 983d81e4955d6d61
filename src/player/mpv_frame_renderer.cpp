#include "player/mpv_frame_renderer.h"

#include "platform/error.h"
#include "player/mpv_library.h"
#include "player/mpv_names.h"

#include <QCoreApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

namespace {
// message: the untranslated text of the "Player" context, with %1 for mpv's reason.
void Check(int error, const char* message) {
    if (error < 0)
        throw AppError(QCoreApplication::translate("Player", message).arg(MpvErrorText(error)));
}

// The video is not timed by blocking the user-interface thread: frames are drawn when they arrive.
int gNoBlocking = 0;

class SoftwareRenderer : public MpvFrameRenderer {
public:
    SoftwareRenderer(mpv_handle* handle, UpdateCallback onUpdate, void* data) {
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
            {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context* context = nullptr;
        Check(Mpv().render_context_create(&context, handle, params),
              QT_TRANSLATE_NOOP("Player", "The video cannot be shown: %1"));
        Attach(context, onUpdate, data);
    }
    ~SoftwareRenderer() override { Release(); }

    QImage Render(QSize size) override {
        QImage image(size, QImage::Format_RGBX8888);
        int pixels[2] = {size.width(), size.height()};
        size_t stride = static_cast<size_t>(image.bytesPerLine());
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, pixels},
            {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(mpvname::SoftwareFormat)},
            {MPV_RENDER_PARAM_SW_STRIDE, &stride},
            {MPV_RENDER_PARAM_SW_POINTER, image.bits()},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &gNoBlocking},
            {MPV_RENDER_PARAM_INVALID, nullptr}};
        Check(Mpv().render_context_render(context_, params),
              QT_TRANSLATE_NOOP("Player", "The video cannot be drawn: %1"));
        return image;
    }
    const char* Kind() const override { return "software"; }
};

class OpenGlRenderer : public MpvFrameRenderer {
    Q_DECLARE_TR_FUNCTIONS(OpenGlRenderer)

public:
    OpenGlRenderer(std::unique_ptr<QOpenGLContext> gl, std::unique_ptr<QOffscreenSurface> surface,
                   mpv_handle* handle, UpdateCallback onUpdate, void* data)
        : gl_(std::move(gl)), surface_(std::move(surface)) {
        mpv_opengl_init_params init{&ProcAddress, nullptr};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
            {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context* context = nullptr;
        Check(Mpv().render_context_create(&context, handle, params),
              QT_TRANSLATE_NOOP("Player", "The video cannot be shown: %1"));
        Attach(context, onUpdate, data);
    }
    ~OpenGlRenderer() override {
        gl_->makeCurrent(surface_.get());
        fbo_.reset();
        Release();
        gl_->doneCurrent();
    }

    void MakeCurrent() override {
        if (!gl_->makeCurrent(surface_.get()))
            throw AppError(tr("The video cannot be drawn: OpenGL is not available."));
    }

    QImage Render(QSize size) override {
        MakeCurrent();
        if (!fbo_ || fbo_->size() != size)
            fbo_ = std::make_unique<QOpenGLFramebufferObject>(size);
        mpv_opengl_fbo target{static_cast<int>(fbo_->handle()), size.width(), size.height(), 0};
        // Frame buffer rows run bottom-up; the read-back below turns them into image rows.
        int flip = 1;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &target},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &gNoBlocking},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        Check(Mpv().render_context_render(context_, params),
              QT_TRANSLATE_NOOP("Player", "The video cannot be drawn: %1"));
        return fbo_->toImage();
    }
    const char* Kind() const override { return "OpenGL"; }

private:
    static void* ProcAddress(void*, const char* name) {
        QOpenGLContext* current = QOpenGLContext::currentContext();
        return current ? reinterpret_cast<void*>(current->getProcAddress(name)) : nullptr;
    }

    std::unique_ptr<QOpenGLContext> gl_;
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
};
// OpenGL drawn by the processor (Mesa's llvmpipe, softpipe, swrast without a graphics card) scales
// 1080p far slower than mpv's own software renderer: 10 s of 1080p30 dropped 231 frames that way
// against 15 with the software renderer under Xvfb here.
bool IsSoftwareRasterizer(QOpenGLContext& gl) {
    const auto* renderer = reinterpret_cast<const char*>(gl.functions()->glGetString(GL_RENDERER));
    const QByteArray name = QByteArray(renderer ? renderer : "").toLower();
    return name.contains("llvmpipe") || name.contains("softpipe") || name.contains("swrast");
}
} // namespace

std::unique_ptr<MpvFrameRenderer> MpvFrameRenderer::Create(mpv_handle* handle,
                                                           UpdateCallback onUpdate, void* data) {
    // Probe OpenGL without a widget: a QOpenGLWidget brings the offscreen platform down on show.
    auto gl = std::make_unique<QOpenGLContext>();
    auto surface = std::make_unique<QOffscreenSurface>();
    surface->setFormat(gl->format());
    surface->create();
    if (gl->create() && surface->isValid() && gl->makeCurrent(surface.get()) &&
        !IsSoftwareRasterizer(*gl))
        return std::make_unique<OpenGlRenderer>(std::move(gl), std::move(surface), handle, onUpdate,
                                                data);
    return std::make_unique<SoftwareRenderer>(handle, onUpdate, data);
}

MpvFrameRenderer::~MpvFrameRenderer() = default;

void MpvFrameRenderer::Attach(mpv_render_context* context, UpdateCallback onUpdate, void* data) {
    context_ = context;
    Mpv().render_context_set_update_callback(context_, onUpdate, data);
}

void MpvFrameRenderer::Release() {
    if (!context_)
        return;
    Mpv().render_context_set_update_callback(context_, nullptr, nullptr);
    Mpv().render_context_free(context_);
    context_ = nullptr;
}

bool MpvFrameRenderer::FrameWaiting() {
    return (Mpv().render_context_update(context_) & MPV_RENDER_UPDATE_FRAME) != 0;
}

void MpvFrameRenderer::Skip() {
    MakeCurrent();
    int skip = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &gNoBlocking},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    Check(Mpv().render_context_render(context_, params),
          QT_TRANSLATE_NOOP("Player", "The video cannot be drawn: %1"));
}
