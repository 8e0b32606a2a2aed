#pragma once

// The line editor's functions, loaded when a person first types at the shell: scripts
// and one-shot commands such as `ringfast dial` never load the editor and the libraries
// it pulls in. Without the editor installed, loaded() is false and lines are read plainly.

#ifdef LINKORA_HAVE_EDITLINE
#include <editline/readline.h>

struct RingfastEditLine {
    // Loads the editor once per process; nothing when it is missing or incomplete.
    static const RingfastEditLine* get();

    decltype(&rl_callback_handler_install) callbackHandlerInstall = nullptr;
    decltype(&rl_callback_handler_remove) callbackHandlerRemove = nullptr;
    decltype(&rl_callback_read_char) callbackReadChar = nullptr;
    decltype(&rl_forced_update_display) forcedUpdateDisplay = nullptr;
    decltype(&rl_completion_matches) completionMatches = nullptr;
    decltype(&add_history) addHistory = nullptr;
    decltype(&rl_line_buffer) lineBuffer = nullptr;
    decltype(&rl_point) point = nullptr;
    decltype(&rl_attempted_completion_over) attemptedCompletionOver = nullptr;
    decltype(&rl_readline_name) readlineName = nullptr;
    decltype(&rl_attempted_completion_function) attemptedCompletionFunction = nullptr;
    decltype(&rl_basic_word_break_characters) basicWordBreakCharacters = nullptr;
};
#endif
