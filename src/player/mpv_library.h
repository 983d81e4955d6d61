#pragma once

#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

#include <QString>

// The libmpv entry points the player uses. libmpv and the codec libraries behind it take a
// noticeable time to load, so the program does not link it: the library is opened when the first
// player opens.
struct MpvApi {
    decltype(&mpv_create) create;
    decltype(&mpv_initialize) initialize;
    decltype(&mpv_terminate_destroy) terminate_destroy;
    decltype(&mpv_set_option_string) set_option_string;
    decltype(&mpv_load_config_file) load_config_file;
    decltype(&mpv_command) command;
    decltype(&mpv_command_ret) command_ret;
    decltype(&mpv_free_node_contents) free_node_contents;
    decltype(&mpv_set_property) set_property;
    decltype(&mpv_get_property) get_property;
    decltype(&mpv_free) free;
    decltype(&mpv_wait_event) wait_event;
    decltype(&mpv_observe_property) observe_property;
    decltype(&mpv_set_wakeup_callback) set_wakeup_callback;
    decltype(&mpv_error_string) error_string;
    decltype(&mpv_hook_add) hook_add;
    decltype(&mpv_hook_continue) hook_continue;
    decltype(&mpv_render_context_create) render_context_create;
    decltype(&mpv_render_context_set_update_callback) render_context_set_update_callback;
    decltype(&mpv_render_context_update) render_context_update;
    decltype(&mpv_render_context_render) render_context_render;
    decltype(&mpv_render_context_free) render_context_free;
};

// Opens libmpv once per process and resolves the entry points; raises AppError when the library or
// one of its functions is missing. The library stays loaded for the rest of the run.
const MpvApi& Mpv();

// The text of an mpv error code.
QString MpvErrorText(int error);
