#include "player/mpv_library.h"

#include "platform/error.h"

#include <QCoreApplication>

#include <dlfcn.h>

namespace {
constexpr const char* kLibraryName = "libmpv.so.2";

MpvApi LoadMpv() {
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        throw AppError(QCoreApplication::translate(
                           "Player", "The media player library %1 cannot be loaded: %2")
                           .arg(QLatin1String(kLibraryName), QString::fromLocal8Bit(dlerror())));
    auto resolve = [library](auto& entry, const char* name) {
        void* symbol = dlsym(library, name);
        if (!symbol)
            throw AppError(QCoreApplication::translate(
                               "Player", "The media player library %1 lacks the function %2.")
                               .arg(QLatin1String(kLibraryName), QLatin1String(name)));
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(symbol);
    };
    MpvApi api{};
    resolve(api.create, "mpv_create");
    resolve(api.initialize, "mpv_initialize");
    resolve(api.terminate_destroy, "mpv_terminate_destroy");
    resolve(api.set_option_string, "mpv_set_option_string");
    resolve(api.load_config_file, "mpv_load_config_file");
    resolve(api.command, "mpv_command");
    resolve(api.command_ret, "mpv_command_ret");
    resolve(api.free_node_contents, "mpv_free_node_contents");
    resolve(api.set_property, "mpv_set_property");
    resolve(api.get_property, "mpv_get_property");
    resolve(api.free, "mpv_free");
    resolve(api.wait_event, "mpv_wait_event");
    resolve(api.observe_property, "mpv_observe_property");
    resolve(api.set_wakeup_callback, "mpv_set_wakeup_callback");
    resolve(api.error_string, "mpv_error_string");
    resolve(api.hook_add, "mpv_hook_add");
    resolve(api.hook_continue, "mpv_hook_continue");
    resolve(api.render_context_create, "mpv_render_context_create");
    resolve(api.render_context_set_update_callback, "mpv_render_context_set_update_callback");
    resolve(api.render_context_update, "mpv_render_context_update");
    resolve(api.render_context_render, "mpv_render_context_render");
    resolve(api.render_context_free, "mpv_render_context_free");
    // The library is kept for the rest of the run: its threads and codecs do not unload cleanly.
    return api;
}
} // namespace

const MpvApi& Mpv() {
    // A failed load is retried on the next player rather than remembered.
    static MpvApi* api = nullptr;
    if (!api)
        api = new MpvApi(LoadMpv());
    return *api;
}

QString MpvErrorText(int error) {
    return QString::fromUtf8(Mpv().error_string(error));
}
