# installation and packaging
