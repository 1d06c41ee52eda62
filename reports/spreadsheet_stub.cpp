// facade
