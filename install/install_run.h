/* The install run: every file of the manifest into the install folder, then the
   settings, the shortcuts and the shell registration. */
#ifndef TOVRA_INSTALL_RUN_H
#define TOVRA_INSTALL_RUN_H

/* Runs the whole install from the wizard state, driving the progress bar of the main
   window; 1 on success, 0 on failure. */
int InstallRun();

#endif
