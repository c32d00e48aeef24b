#pragma once
// Creates the plugin object for a skin tag (compared ignoring case); null for
// a tag the engine does not know.
class duPlugin;

duPlugin* CreatePluginByTag(const wchar_t* tag);
