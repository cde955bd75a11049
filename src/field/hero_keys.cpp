#include "field/hero_keys.h"

#include "field/walking.h"
#include "platform/platform.h"

bool Poll_Key() {
    if (!platform::Key_Waiting()) return false;
    Move_Hero(platform::Take_Key());
    return true;
}
