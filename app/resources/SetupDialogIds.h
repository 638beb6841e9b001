/* Resource and control numbers of the Windows setup dialog, shared by its
   resource script and its code. */
#pragma once

#define HALVO_SETUP_DIALOG 101
#define HALVO_SETUP_BANNER 103
#define HALVO_SETUP_RESOLUTION 1001
#define HALVO_SETUP_FULLSCREEN 1003
#define HALVO_SETUP_SOCIAL 1008
#define HALVO_SETUP_WEB 1009
