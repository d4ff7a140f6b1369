// A resource-only module: the sample dialog and sheet pages the control tests load by name.
