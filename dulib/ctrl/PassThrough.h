#pragma once
// Pointer pass-through shared by the basic controls: a ghost hands its pointer
// events to its parent, and a control under an `associate` parent hands the
// parent its enter and leave.
class duPlugin;

// Pointer entered/left `self`: tells an associate parent (marking `self`
// associate on entering), or a ghost's parent when ghostEnterLeave is set.
void PassEnter(duPlugin* self, int x, int y, bool ghostEnterLeave);
void PassLeave(duPlugin* self, int x, int y, bool ghostEnterLeave);

enum class GhostButton { LDown, LUp, RDown, RUp };
// True when `self` is a ghost and the event went to its parent.
bool PassGhostButton(duPlugin* self, GhostButton which, int x, int y);
