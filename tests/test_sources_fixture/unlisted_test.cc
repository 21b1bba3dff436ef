// A test file no list names.
