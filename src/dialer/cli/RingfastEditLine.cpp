#include "RingfastEditLine.h"

#ifdef LINKORA_HAVE_EDITLINE
#include <dlfcn.h>

namespace {

template <typename T>
bool resolve(void* library, const char* name, T& out)
{
    out = reinterpret_cast<T>(dlsym(library, name));
    return out != nullptr;
}

RingfastEditLine load()
{
    RingfastEditLine e;
    void* library = dlopen("libedit.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        library = dlopen("libedit.so", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return e;
    const bool complete = resolve(library, "rl_callback_handler_install", e.callbackHandlerInstall) &&
                          resolve(library, "rl_callback_handler_remove", e.callbackHandlerRemove) &&
                          resolve(library, "rl_callback_read_char", e.callbackReadChar) &&
                          resolve(library, "rl_forced_update_display", e.forcedUpdateDisplay) &&
                          resolve(library, "rl_completion_matches", e.completionMatches) &&
                          resolve(library, "add_history", e.addHistory) &&
                          resolve(library, "rl_line_buffer", e.lineBuffer) && resolve(library, "rl_point", e.point) &&
                          resolve(library, "rl_attempted_completion_over", e.attemptedCompletionOver) &&
                          resolve(library, "rl_readline_name", e.readlineName) &&
                          resolve(library, "rl_attempted_completion_function", e.attemptedCompletionFunction) &&
                          resolve(library, "rl_basic_word_break_characters", e.basicWordBreakCharacters);
    // A half-resolved editor would crash at its first missing call; the library stays
    // loaded either way, as unloading an editor that may have touched the terminal is not safe.
    return complete ? e : RingfastEditLine{};
}

} // namespace

const RingfastEditLine* RingfastEditLine::get()
{
    static const RingfastEditLine editor = load();
    return editor.callbackHandlerInstall ? &editor : nullptr;
}
#endif
