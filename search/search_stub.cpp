// query builder
