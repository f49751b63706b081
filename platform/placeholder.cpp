// GTK 3 + WebKitGTK + libcurl implementation of the platform interfaces.
