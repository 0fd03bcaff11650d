/* The install run: every file of the manifest into the install folder, then the
   settings, the shortcuts and the shell registration. */
#ifndef TOVRA_INSTALL_RUN_H
#define TOVRA_INSTALL_RUN_H

/* Runs the whole install from the wizard state, driving the progress bar of the main
   window; 1 on success, 0 on failure. Whom the install is for is decided first, before
   anything is made (DecideInstallScope), and both the links and the installed-apps entry
   follow it. */
int InstallRun();
/* The same for an install whose scope (InstallScope) is given. */
int InstallRunFor(int scope);

#endif
