// filled by the store implementation
