// Stand-in service.
