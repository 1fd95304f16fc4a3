// PLACEHOLDER: the main-window helper replaces this file.
