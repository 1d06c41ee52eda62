// backup operations
