#pragma once
// The application's part in keyboard and accessibility support. Everything
// else comes from the skin (see ControlTraits.h for its attributes) and the
// engine itself. Window thread only.
class duPlugin;

// A name for accessibility clients that the skin cannot know (a result, a
// picture that changes); null or empty gives the plugin its own name back.
void SetAccessibleName(duPlugin* plugin, const wchar_t* name);
// Puts the keyboard focus on the scope's shown default button, else on its
// first Tab stop (a page that has just been shown, say). False when the
// scope has neither.
bool FocusFirstControl(duPlugin* scope);
