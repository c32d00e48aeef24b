#include "dulib/ctrl/PassThrough.h"

#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/duPlugin.h"

void PassEnter(duPlugin* self, int x, int y, bool ghostEnterLeave) {
    duPlugin* parent = self->GetParent();
    if (!IsValidPlugin(parent)) return;
    if (parent->IsAssociate()) {
        self->SetAssociate(1);
        parent->OnMouseIn(x, y);
    } else if (ghostEnterLeave && self->IsGhost()) {
        parent->OnMouseIn(x, y);
    }
}

void PassLeave(duPlugin* self, int x, int y, bool ghostEnterLeave) {
    duPlugin* parent = self->GetParent();
    if (!IsValidPlugin(parent)) return;
    if (parent->IsAssociate() || (ghostEnterLeave && self->IsGhost())) parent->OnMouseLeave(x, y);
}

bool PassGhostButton(duPlugin* self, GhostButton which, int x, int y) {
    if (!self->IsGhost()) return false;
    duPlugin* parent = self->GetParent();
    if (!IsValidPlugin(parent)) return true;
    switch (which) {
    case GhostButton::LDown: parent->OnMouseLDown(x, y); break;
    case GhostButton::LUp: parent->OnMouseLUp(x, y); break;
    case GhostButton::RDown: parent->OnMouseRDown(x, y); break;
    case GhostButton::RUp: parent->OnMouseRUp(x, y); break;
    }
    return true;
}
