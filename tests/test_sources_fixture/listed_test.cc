// A test file the check finds listed.
